#include "dynamicsui/curveedit.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/numtext.h"

namespace kelm {

namespace {

constexpr double kPowerDivisor = 9549.3;  // N·m × rev/min per kW
constexpr double kKwPerHp = 0.7355;
constexpr double kAddStep = 500;  // rev/min beyond the last point
// Speeds at which the power is drawn between two points: its curve is a parabola there.
constexpr int kPowerSteps = 8;

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> Split(std::string_view line, char separator) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        cells.push_back(Trim(line.substr(start, end - start)));
        if (end == std::string_view::npos) return cells;
        start = end + 1;
    }
}

// The cells of a pasted line: tab-separated as spreadsheets copy them; else by semicolons,
// as a Russian CSV file has them; else by blanks (`blanks` then says so).
std::vector<std::string> Cells(std::string_view line, bool& blanks) {
    blanks = false;
    if (line.find('\t') != std::string_view::npos) return Split(line, '\t');
    if (line.find(';') != std::string_view::npos) return Split(line, ';');
    blanks = true;
    std::vector<std::string> cells;
    for (std::string& cell : Split(line, ' ')) {
        if (!cell.empty()) cells.push_back(std::move(cell));
    }
    return cells;
}

bool AllDigits(std::string_view cell) {
    return !cell.empty() &&
           std::all_of(cell.begin(), cell.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first digit group of a number: one to three digits, after a sign.
bool IsLeadGroup(std::string_view cell) {
    if (!cell.empty() && (cell.front() == '-' || cell.front() == '+')) cell.remove_prefix(1);
    return AllDigits(cell) && cell.size() <= 3;
}

// Whether blank-separated cells might be digit groups of one number, as Russian text groups
// them ("1 000 95": 1000 and 95, or 1, 0 and 95?): three digits after one to three digits.
// Only a line of more than two cells is in doubt; two cells are the two numbers.
bool MayBeDigitGroups(const std::vector<std::string>& cells) {
    if (cells.size() <= 2) return false;
    for (std::size_t i = 1; i < cells.size(); ++i) {
        if (cells[i].size() == 3 && AllDigits(cells[i]) && IsLeadGroup(cells[i - 1])) return true;
    }
    return false;
}

std::string LineName(std::size_t number) { return "строка " + std::to_string(number); }

bool StartsWithGroup(std::string_view part) {
    return part.size() >= 3 && AllDigits(part.substr(0, 3)) &&
           (part.size() == 3 || !AllDigits(part.substr(3, 1)));
}

}  // namespace

double PowerKw(const TorquePoint& point) { return point.torque * point.rpm / kPowerDivisor; }

double KwToHp(double kw) { return kw / kKwPerHp; }

std::string NotANumber(std::string_view typed, ValueRange range) {
    return "«" + ShortName(typed, 40) + "» — не число, а нужно " + RangeText(range);
}

void SayRefused(const std::string& text) {
    AppMessages().ShowMessage(text + ".", "Недопустимое значение", MessageIcon::Error);
}

std::optional<double> ReadPastedNumber(std::string_view text) {
    const std::string cell = Trim(text);
    std::vector<std::string> parts;
    for (std::string& part : Split(cell, ' ')) {
        if (!part.empty()) parts.push_back(std::move(part));
    }
    if (parts.size() > 1) {
        if (!IsLeadGroup(parts.front())) return std::nullopt;
        for (std::size_t i = 1; i < parts.size(); ++i) {
            const bool last = i + 1 == parts.size();
            if (last ? !StartsWithGroup(parts[i]) : !(parts[i].size() == 3 && AllDigits(parts[i])))
                return std::nullopt;
        }
    }
    return ReadTypedNumber(cell);
}

std::string PointsText(std::size_t count) {
    const std::size_t last = count % 10, lastTwo = count % 100;
    const char* word = last == 1 && lastTwo != 11                                 ? "точка"
                       : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? "точки"
                                                                                  : "точек";
    return std::to_string(count) + " " + word;
}

std::optional<std::string> SpeedProblem(const std::vector<TorquePoint>& curve, std::size_t row,
                                        double rpm) {
    if (auto p = NumberProblem("", rpm, Engine::kSpeedRange)) return p->Text;
    for (std::size_t i = 0; i < curve.size(); ++i) {
        if (i != row && curve[i].rpm == rpm) {
            return FloatToStr(rpm) + " уже есть в точке " + std::to_string(i + 1) +
                   ": обороты точек не должны повторяться";
        }
    }
    return std::nullopt;
}

std::optional<std::string> TorqueProblem(double torque) {
    if (auto p = NumberProblem("", torque, Engine::kTorqueRange)) return p->Text;
    return std::nullopt;
}

std::size_t SortedPlace(const std::vector<TorquePoint>& curve, std::size_t row, double rpm) {
    std::size_t place = 0;
    for (std::size_t i = 0; i < curve.size(); ++i) {
        if (i != row && curve[i].rpm < rpm) ++place;
    }
    return place;
}

std::optional<NewPoint> PointToAdd(const std::vector<TorquePoint>& curve,
                                   std::optional<std::size_t> after, std::string* problem) {
    const auto refuse = [problem](std::string text) -> std::optional<NewPoint> {
        if (problem) *problem = std::move(text);
        return std::nullopt;
    };
    if (curve.size() >= Engine::kMaxPoints) {
        return refuse("в кривой уже " + std::to_string(Engine::kMaxPoints) +
                      " точки, больше нельзя");
    }
    if (curve.empty()) return NewPoint{0, {1000, 100}};
    std::size_t a = std::min(after.value_or(curve.size() - 1), curve.size() - 1);
    if (a + 1 == curve.size()) {
        const TorquePoint& last = curve.back();
        const double rpm = std::min(last.rpm + kAddStep, Engine::kSpeedRange.max);
        if (rpm > last.rpm) return NewPoint{curve.size(), {rpm, last.torque}};
        if (a == 0) return refuse("выше последних оборотов точку добавить нельзя");
        --a;  // the last point is at the highest speed: halfway below it instead
    }
    const TorquePoint& lo = curve[a];
    const TorquePoint& hi = curve[a + 1];
    double rpm = std::round((lo.rpm + hi.rpm) / 2);
    if (!(rpm > lo.rpm && rpm < hi.rpm)) rpm = lo.rpm + (hi.rpm - lo.rpm) / 2;
    if (!(rpm > lo.rpm && rpm < hi.rpm)) {
        return refuse("между точками " + std::to_string(a + 1) + " и " + std::to_string(a + 2) +
                      " нет свободных оборотов");
    }
    const double torque = lo.torque + (rpm - lo.rpm) / (hi.rpm - lo.rpm) * (hi.torque - lo.torque);
    return NewPoint{a + 1, {rpm, std::round(torque * 10) / 10}};
}

std::string CurveText(const std::vector<TorquePoint>& curve) {
    std::string text = std::string(kSpeedCaption) + "\t" + std::string(kTorqueCaption) + "\t" +
                       std::string(kPowerKwCaption) + "\t" + std::string(kPowerHpCaption) + "\n";
    for (const TorquePoint& p : curve) {
        const double kw = PowerKw(p);
        text += FloatToStr(p.rpm) + "\t" + FloatToStr(p.torque) + "\t" + FormatFixed(kw, 1, "") +
                "\t" + FormatFixed(KwToHp(kw), 1, "") + "\n";
    }
    return text;
}

CurveRead ReadCurveText(std::string_view text) {
    CurveRead read;
    struct Line {
        TorquePoint point;
        std::size_t number;
    };
    std::vector<Line> lines;
    bool first = true;
    std::size_t number = 0;
    for (std::size_t start = 0; start <= text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (Trim(line).empty()) continue;
        bool blanks = false;
        const std::vector<std::string> cells = Cells(line, blanks);
        const auto cell = [&cells](std::size_t i) {
            return i < cells.size() ? ReadTypedNumber(cells[i]) : std::nullopt;
        };
        std::optional<double> rpm, torque;
        if (cells.size() >= 2) {
            rpm = cell(0);
            torque = cell(1);
        }
        // Captions, not numbers; a first line with one number in its place is a point with a
        // mistake, which must not go unseen.
        const bool header = first && !cell(0) && !cell(1);
        first = false;
        if (blanks && MayBeDigitGroups(cells)) {
            read.problem = LineName(number + 1) + ": «" + ShortName(Trim(line), 40) +
                           "» — не понять, где кончаются обороты: пробелы и между числами, и "
                           "между разрядами; разделите столбцы табуляцией или точкой с запятой";
            return read;
        }
        if (!rpm || !torque) {
            if (header) continue;  // the columns' captions
            read.problem = LineName(number + 1) + ": «" + ShortName(Trim(line), 40) +
                           "» — не два числа (обороты и момент)";
            return read;
        }
        if (auto p = NumberProblem("", *rpm, Engine::kSpeedRange)) {
            read.problem = LineName(number + 1) + ": обороты " + p->Text;
            return read;
        }
        if (auto p = TorqueProblem(*torque)) {
            read.problem = LineName(number + 1) + ": момент " + *p;
            return read;
        }
        lines.push_back({{*rpm, *torque}, number + 1});
    }
    if (lines.size() < Engine::kMinPoints || lines.size() > Engine::kMaxPoints) {
        read.problem = lines.empty() ? std::string(
                                           "нет ни одной строки с двумя числами "
                                           "(обороты и момент)")
                                     : "строк с точками " + std::to_string(lines.size()) +
                                           ", а нужно от " + std::to_string(Engine::kMinPoints) +
                                           " до " + std::to_string(Engine::kMaxPoints);
        return read;
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.point.rpm < b.point.rpm; });
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0 && lines[i].point.rpm == lines[i - 1].point.rpm) {
            const auto [a, b] = std::minmax(lines[i - 1].number, lines[i].number);
            read.problem = "обороты " + FloatToStr(lines[i].point.rpm) + " повторяются (строки " +
                           std::to_string(a) + " и " + std::to_string(b) + ")";
            read.points.clear();
            return read;
        }
        read.points.push_back(lines[i].point);
    }
    if (auto p = CurveProblem(read.points)) {  // what the checks above cannot have missed
        read.problem = p->Text;
        read.points.clear();
    }
    return read;
}

Plot CurvePlot(const std::vector<TorquePoint>& curve) {
    Plot plot(PlotAxis{.title = "Обороты (об/мин)", .emptyMin = 0, .emptyMax = 7000},
              PlotAxis{.title = "Момент (Н·м)", .emptyMax = 200, .fromZero = true},
              PlotAxis{.title = "Мощность (кВт)", .emptyMax = 100, .fromZero = true});
    PlotSeries torque{.name = "torque", .color = colors::Navy, .width = 2, .symbolRadius = 3};
    PlotSeries power{.name = "power", .color = colors::Red, .width = 2, .axis = ValueAxis::Right};
    PlotSeries powerPoints{.name = "power points",
                           .color = colors::Red,
                           .line = LineStyle::None,
                           .symbolRadius = 3,
                           .axis = ValueAxis::Right};
    for (std::size_t i = 0; i < curve.size(); ++i) {
        const TorquePoint& p = curve[i];
        torque.points.push_back({p.rpm, p.torque});
        powerPoints.points.push_back({p.rpm, PowerKw(p)});
        if (i > 0) {
            const TorquePoint& q = curve[i - 1];
            for (int k = 1; k < kPowerSteps; ++k) {
                const double t = double(k) / kPowerSteps;
                const TorquePoint between{q.rpm + t * (p.rpm - q.rpm),
                                          q.torque + t * (p.torque - q.torque)};
                power.points.push_back({between.rpm, PowerKw(between)});
            }
        }
        power.points.push_back({p.rpm, PowerKw(p)});
    }
    plot.series = {power, powerPoints, torque};
    plot.legend = {LegendEntry::Of(torque, "Момент, Н·м"),
                   {.color = colors::Red, .width = 2, .symbolRadius = 3, .text = "Мощность, кВт"}};
    return plot;
}

std::string ShortName(std::string_view name, std::size_t max) {
    std::size_t count = 0, cut = name.size();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;
        if (count == max - 1 && cut == name.size()) cut = i;
        ++count;
    }
    if (count <= max) return std::string(name);
    return std::string(name.substr(0, cut)) + "…";
}

}  // namespace kelm
