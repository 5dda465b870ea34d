#include "chart/geartable.h"

#include <cmath>
#include <cstdio>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"

namespace kelm {

namespace {

const char* const kNoValue = "\xE2\x80\x94";  // an em dash

std::string SetName(std::size_t index) { return "Набор " + IntToStr(static_cast<int>(index) + 1); }

// The text an error box shows for the error that stopped a set.
std::string FailureText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return ErrorBoxText(e.what());
    }
}

GearTableBlock MakeBlock(const ChartGears& all, std::size_t index) {
    const SetGears& s = all.sets[index];
    GearTableBlock block{static_cast<int>(index) + 1,
                         s.input.color,
                         s.input.rowName,
                         s.input.pairText,
                         s.input.tyreName,
                         {},
                         {}};
    switch (s.outcome) {
        case SetOutcome::Hidden:
            block.note = SetName(index) + " скрыт";
            return block;
        case SetOutcome::NotFound:
            block.note = SetName(index) + ": запись не найдена в каталоге";
            return block;
        case SetOutcome::Failed:
            block.note = SetName(index) + " не рассчитан: " + FailureText(s.gears.failure);
            return block;
        case SetOutcome::NotBuilt:
            block.note = SetName(index) + " не рассчитан: расчёт остановлен ошибкой в наборе " +
                         IntToStr(index == 0 ? 2 : 1);
            return block;
        case SetOutcome::Computed:
            break;
    }
    const double n = static_cast<double>(all.maxRpm);
    for (const ShiftGear& g : s.gears.gears) {
        GearTableRow row{g, std::nullopt, std::nullopt};
        if (g.afterShift) row.drop = n - *g.afterShift;
        try {
            row.at100 = EngineSpeedAt(100, s.perimeter, g.total);
        } catch (const KelmError&) {
            // A perimeter of 0 with only gear 1 draws a chart, but has no engine speed at
            // 100 km/h: the cell says so rather than raising a second error.
        }
        block.rows.push_back(row);
    }
    return block;
}

std::string Speed(const std::optional<double>& value, bool grouped) {
    if (!value || !std::isfinite(*value)) return kNoValue;
    return FormatFixed(*value, 1, grouped ? GlobalNumberFormat().thousandSeparator : "");
}

std::string Whole(double value, bool grouped) {
    if (!std::isfinite(value)) return kNoValue;
    return grouped ? FormatGrouped(value) : FormatGrouped(value, "");
}

std::string Ratio(double value) { return std::isfinite(value) ? FloatToStr(value) : kNoValue; }

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

GearTable MakeGearTable(const ChartGears& gears) {
    GearTable table{gears.maxRpm, {}};
    for (std::size_t i = 0; i < gears.sets.size(); ++i) table.blocks.push_back(MakeBlock(gears, i));
    return table;
}

Color HeadingTextColor(Color background) {
    // Perceived brightness (ITU-R BT.601 weights) on a 0..255 scale.
    const int brightness =
        (299 * RedOf(background) + 587 * GreenOf(background) + 114 * BlueOf(background)) / 1000;
    return brightness < 128 ? colors::White : colors::Black;
}

std::vector<std::string> GearTableCaptions(std::int32_t maxRpm, bool grouped) {
    return {"Передача",
            "Передаточное число",
            "Общее",
            "км/ч при " + (grouped ? FormatGrouped(maxRpm) : IntToStr(maxRpm)) + " об/мин",
            "Обороты после переключения",
            "Провал оборотов",
            "Обороты при 100 км/ч"};
}

std::string GearBlockTitle(const GearTableBlock& block) {
    if (!block.note.empty()) return block.note;
    return Cp1251ToUtf8(block.rowName) + " \xC2\xB7 " + Cp1251ToUtf8(block.pairText) +
           " \xC2\xB7 " + Cp1251ToUtf8(block.tyreName);
}

std::vector<std::string> GearRowCells(const GearTableRow& row, bool grouped) {
    const ShiftGear& g = row.gear;
    return {IntToStr(g.gear),
            Ratio(g.ratio),
            Ratio(g.total),
            Speed(g.shiftSpeed, grouped),
            g.afterShift ? Whole(*g.afterShift, grouped) : std::string(),
            row.drop ? Whole(*row.drop, grouped) : std::string(),
            row.at100 ? Whole(*row.at100, grouped) : kNoValue};
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
    line(GearTableCaptions(table.maxRpm, false));
    for (const GearTableBlock& block : table.blocks) {
        line({GearBlockTitle(block)});
        for (const GearTableRow& row : block.rows) line(GearRowCells(row, false));
    }
    return out;
}

std::string GearTableHtml(const GearTable& table) {
    std::string out =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "</head><body>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>";
    for (const std::string& caption : GearTableCaptions(table.maxRpm, false))
        out += "<th>" + HtmlEscaped(caption) + "</th>";
    out += "</tr>\n";
    for (const GearTableBlock& block : table.blocks) {
        const std::string style = block.note.empty() ? "" : "font-style:italic;";
        out += "<tr><th colspan=\"" + IntToStr(kGearTableColumns) + "\" align=\"left\" style=\"" +
               style + "background:" + HexColor(block.color) +
               ";color:" + HexColor(HeadingTextColor(block.color)) + "\">" +
               HtmlEscaped(GearBlockTitle(block)) + "</th></tr>\n";
        for (const GearTableRow& row : block.rows) {
            out += "<tr>";
            for (const std::string& cell : GearRowCells(row, false))
                out += "<td align=\"right\">" + HtmlEscaped(cell) + "</td>";
            out += "</tr>\n";
        }
    }
    out += "</table>\n</body></html>\n";
    return out;
}

}  // namespace kelm
