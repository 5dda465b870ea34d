#include "base/tabletext.h"

#include <cstdio>

#include "base/numtext.h"

namespace kelm {

namespace {

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string TsvCell(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::string HexColor(Color c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
    return buffer;
}

std::string HtmlCell(const TableCell& cell) {
    const char* tag = cell.heading ? "th" : "td";
    std::string out = std::string("<") + tag;
    if (cell.span > 1) out += " colspan=\"" + IntToStr(cell.span) + "\"";
    if (cell.align == CellAlign::Left) out += " align=\"left\"";
    if (cell.align == CellAlign::Right) out += " align=\"right\"";
    std::string style;
    if (cell.italic) style += "font-style:italic;";
    if (cell.background) style += "background:" + HexColor(*cell.background) + ";";
    if (cell.foreground) style += "color:" + HexColor(*cell.foreground) + ";";
    if (!style.empty()) {
        style.pop_back();  // the last ";"
        out += " style=\"" + style + "\"";
    }
    return out + ">" + HtmlEscaped(cell.text) + "</" + tag + ">";
}

}  // namespace

std::string TableTsv(const std::vector<TableRow>& rows) {
    std::string out;
    for (const TableRow& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += '\t';
            out += TsvCell(row[i].text);
        }
        out += "\r\n";
    }
    return out;
}

std::string TableHtml(const std::vector<TableRow>& rows) {
    std::string out =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "</head><body>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n";
    for (const TableRow& row : rows) {
        out += "<tr>";
        for (const TableCell& cell : row) out += HtmlCell(cell);
        out += "</tr>\n";
    }
    out += "</table>\n</body></html>\n";
    return out;
}

}  // namespace kelm
