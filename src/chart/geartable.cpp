#include "chart/geartable.h"

#include <cmath>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"

namespace kelm {

namespace {

const char* const kNoValue = "\xE2\x80\x94";  // an em dash

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
            block.note = HiddenSetNote(block.set);
            return block;
        case SetOutcome::NotFound:
            block.note = MissingRecordsNote(block.set);
            return block;
        case SetOutcome::Failed:
            block.note = SetName(block.set) + " не рассчитан: " + FailureText(s.gears.failure);
            return block;
        case SetOutcome::NotBuilt:
            block.note = SetName(block.set) + " не рассчитан: расчёт остановлен ошибкой в наборе " +
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
    return TableFigure(value, 1, grouped);
}

std::string Whole(double value, bool grouped) { return TableFigure(value, 0, grouped); }

std::string Ratio(double value) { return std::isfinite(value) ? FloatToStr(value) : kNoValue; }

// The table as the clipboard gets it: the captions, then per block its heading line (one
// cell) and its rows.
std::vector<TableRow> ClipboardRows(const GearTable& table) {
    std::vector<TableRow> rows;
    TableRow& captions = rows.emplace_back();
    for (std::string& c : GearTableCaptions(table.maxRpm, false))
        captions.push_back({.text = std::move(c), .heading = true});
    for (const GearTableBlock& block : table.blocks) {
        rows.push_back({SetHeadingCell(GearBlockTitle(block), block.color, !block.note.empty(),
                                       kGearTableColumns)});
        for (const GearTableRow& row : block.rows) {
            TableRow& cells = rows.emplace_back();
            for (std::string& c : GearRowCells(row, false))
                cells.push_back({.text = std::move(c), .align = CellAlign::Right});
        }
    }
    return rows;
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

TableCell SetHeadingCell(std::string text, Color color, bool italic, int span) {
    return {.text = std::move(text),
            .heading = true,
            .span = span,
            .align = CellAlign::Left,
            .italic = italic,
            .background = color,
            .foreground = HeadingTextColor(color)};
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

std::string TableFigure(std::optional<double> value, int decimals, bool grouped) {
    if (!value || !std::isfinite(*value)) return kNoValue;
    const std::string_view separator =
        grouped ? std::string_view(GlobalNumberFormat().thousandSeparator) : std::string_view();
    return decimals == 0 ? FormatGrouped(*value, separator)
                         : FormatFixed(*value, decimals, separator);
}

std::string SetName(int set) { return "Набор " + IntToStr(set); }

std::string HiddenSetNote(int set) { return SetName(set) + " скрыт"; }

std::string MissingRecordsNote(int set) { return SetName(set) + ": запись не найдена в каталоге"; }

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

std::string GearTableTsv(const GearTable& table) { return TableTsv(ClipboardRows(table)); }

std::string GearTableHtml(const GearTable& table) { return TableHtml(ClipboardRows(table)); }

}  // namespace kelm
