#pragma once

#include <string>

namespace kelm {

// Puts a table on the clipboard, replacing what it held: an HTML page (for a word processor)
// and tab-separated text (for a spreadsheet and plain editors), both UTF-8 (base/tabletext).
void PutTableOnClipboard(const std::string& html, const std::string& tsv);

}  // namespace kelm
