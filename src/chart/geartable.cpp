#include "chart/geartable.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"

namespace kelm {

GearTableBlock MakeGearBlock(int set, const ComparisonSet& input, std::int32_t maxRpm,
                             std::int32_t perimeter, const ShiftGears& gears) {
    GearTableBlock block{set, input.color, input.rowName, input.pairText, input.tyreName, {}};
    const double n = static_cast<double>(maxRpm);
    for (const ShiftGear& g : gears.gears) {
        GearTableRow row;
        row.gear = g.gear;
        row.ratio = g.ratio;
        row.total = g.total;
        row.shiftSpeed = g.shiftSpeed.value_or(0);
        row.afterShift = g.afterShift;
        if (g.afterShift) row.drop = n - *g.afterShift;
        try {
            row.at100 = EngineSpeedAt(100, perimeter, g.total);
        } catch (const KelmError&) {
            // A perimeter of 0 with only gear 1 draws a chart, but has no engine speed at
            // 100 km/h: the cell stays empty rather than raising a second error.
        }
        block.rows.push_back(row);
    }
    return block;
}

Color HeadingTextColor(Color background) {
    // Perceived brightness (ITU-R BT.601 weights) on a 0..255 scale.
    const int brightness =
        (299 * RedOf(background) + 587 * GreenOf(background) + 114 * BlueOf(background)) / 1000;
    return brightness < 128 ? colors::White : colors::Black;
}

namespace {

// One decimal, the user's separator, no grouping.
std::string OneDecimal(double value) {
    char buffer[64];
    const auto res =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    std::string text(buffer, res.ptr);
    for (char& c : text) {
        if (c == '.') c = DecimalSeparator();
    }
    if (text.front() == '-' && text.find_first_not_of("-0,.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string WholeNumber(double value, bool grouped) {
    return grouped ? FormatGrouped(value) : FormatGrouped(value, "");
}

std::string OptionalWhole(const std::optional<double>& value, bool grouped) {
    return value ? WholeNumber(*value, grouped) : std::string();
}

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

// A tab or a line break inside a name would split the spreadsheet's cells.
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

}  // namespace

std::vector<std::string> GearTableCaptions(std::int32_t maxRpm) {
    return {"Передача",
            "Передаточное число",
            "Общее",
            "км/ч при " + IntToStr(maxRpm) + " об/мин",
            "Обороты после переключения",
            "Провал оборотов",
            "Обороты при 100 км/ч"};
}

std::string GearBlockTitle(const GearTableBlock& block) {
    return Cp1251ToUtf8(block.rowName) + " \xC2\xB7 " + Cp1251ToUtf8(block.pairText) +
           " \xC2\xB7 " + Cp1251ToUtf8(block.tyreName);
}

std::vector<std::string> GearRowCells(const GearTableRow& row, bool grouped) {
    return {IntToStr(row.gear),
            FloatToStr(row.ratio),
            FloatToStr(row.total),
            OneDecimal(row.shiftSpeed),
            OptionalWhole(row.afterShift, grouped),
            OptionalWhole(row.drop, grouped),
            OptionalWhole(row.at100, grouped)};
}

std::string GearTableTsv(const GearTable& table) {
    std::string out;
    const auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += '\t';
            out += TsvCell(cells[i]);
        }
        out += "\r\n";
    };
    line(GearTableCaptions(table.maxRpm));
    for (const GearTableBlock& block : table.blocks) {
        line({Cp1251ToUtf8(block.rowName), Cp1251ToUtf8(block.pairText),
              Cp1251ToUtf8(block.tyreName)});
        for (const GearTableRow& row : block.rows) line(GearRowCells(row, false));
    }
    return out;
}

std::string GearTableHtml(const GearTable& table) {
    std::string out = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>";
    for (const std::string& caption : GearTableCaptions(table.maxRpm))
        out += "<th>" + HtmlEscaped(caption) + "</th>";
    out += "</tr>\n";
    for (const GearTableBlock& block : table.blocks) {
        out += "<tr><th colspan=\"" + IntToStr(kGearTableColumns) +
               "\" style=\"background:" + HexColor(block.color) +
               ";color:" + HexColor(HeadingTextColor(block.color)) + "\">" +
               HtmlEscaped(GearBlockTitle(block)) + "</th></tr>\n";
        for (const GearTableRow& row : block.rows) {
            out += "<tr>";
            for (const std::string& cell : GearRowCells(row, false))
                out += "<td align=\"right\">" + HtmlEscaped(cell) + "</td>";
            out += "</tr>\n";
        }
    }
    out += "</table>\n";
    return out;
}

}  // namespace kelm
