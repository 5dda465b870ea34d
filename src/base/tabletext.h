#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"

// A table as the clipboard takes it, twice: tab-separated text for a spreadsheet and an HTML
// page for a word processor (which keeps the headings' colours).  Every table the program
// copies goes through here, so all of them paste alike.

namespace kelm {

enum class CellAlign { None, Left, Right };

struct TableCell {
    std::string text{};    // UTF-8
    bool heading = false;  // <th> rather than <td>
    int span = 1;          // columns it spans in HTML (one cell in the text)
    CellAlign align = CellAlign::None;
    bool italic = false;
    // A coloured heading: its background and the text colour that reads on it.
    std::optional<Color> background{}, foreground{};
};

using TableRow = std::vector<TableCell>;

// Tab-separated lines ended by CR LF; a tab or a line break inside a cell becomes a space,
// so it cannot split the spreadsheet's cells.
std::string TableTsv(const std::vector<TableRow>& rows);

// An HTML page that names its character set (UTF-8), with the table in it; the texts are
// escaped.
std::string TableHtml(const std::vector<TableRow>& rows);

}  // namespace kelm
