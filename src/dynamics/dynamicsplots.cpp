#include "dynamics/dynamicsplots.h"

#include <algorithm>
#include <limits>

#include "base/numtext.h"
#include "chart/chartlayout.h"
#include "chart/geartable.h"

namespace kelm {

namespace {

// A legend line longer than this many characters would make the legend wider than a small
// chart: the set's engine and car then take a line each, or the set's name stands alone.
constexpr std::size_t kLegendCharacters = 40;

constexpr double kSetWidth = 2;        // the sets' own lines
constexpr double kTraceSpacing = 0.2;  // s
// The force axis reaches this much above the highest peak: room for its label, and a band
// the legend takes without hiding a line.
constexpr double kHeadroom = 1.3;
// On the pair chart, each value axis reaches this share of its curves' span above the highest:
// a band for the legend, the best top speed's label and the own pairs' captions, which hides
// no curve (and which grows to the legend's height on a low chart, Plot::legendAbove).
constexpr double kPairBand = 1.0;
// And this share below the lowest, so that the best figure's curve and label stand clear of
// the axis rather than on it.
constexpr double kPairFoot = 0.1;

bool HasFigures(const DynamicsSet& s) { return s.result && s.result->computable; }

bool Fits(const std::string& text) {
    const auto length = Utf8Length(text);
    return length && *length <= kLegendCharacters;
}

// The legend's lines of a set: "Набор 1: engine · car" with the sample of `line`, or the
// engine there and the car on a line of its own below it.
void AddSetLegend(Plot& plot, const DynamicsSet& s, const LegendEntry& line) {
    const std::string name = SetName(s.set);
    LegendEntry first = line;
    first.text = name + ": " + s.engine + " · " + s.car;
    if (Fits(first.text)) {
        plot.legend.push_back(first);
        return;
    }
    first.text = name + ": " + s.engine;
    if (!Fits(first.text) || !Fits(s.car)) {
        first.text = name;
        plot.legend.push_back(first);
        return;
    }
    plot.legend.push_back(first);
    plot.legend.push_back({.color = s.color, .line = LineStyle::None, .text = s.car});
}

// The run's speed at most kTraceSpacing apart, and at every change of gear (a shift's start
// and end): between shifts the speed bends so gently that a chord of that length strays from
// it by less than a pixel, and a line of a fifth of the points is drawn five times as fast.
std::vector<ChartPoint> DrawnTrace(const std::vector<TracePoint>& trace) {
    std::vector<ChartPoint> points;
    double last = 0;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const TracePoint& p = trace[i];
        const bool edge = i == 0 || i + 1 == trace.size() || trace[i - 1].gear != p.gear ||
                          trace[i + 1].gear != p.gear;
        // Kept where the next point would lie too far from the last one kept.
        if (edge || trace[i + 1].time - last > kTraceSpacing) {
            points.push_back({p.time, p.speed});
            last = p.time;
        }
    }
    return points;
}

// The legend's line that explains a style shared by both sets, in black.
LegendEntry StyleEntry(LineStyle line, double width, double symbol, std::string text) {
    return {colors::Black, width, line, symbol, std::move(text)};
}

}  // namespace

Plot AccelerationPlot(const DynamicsSets& sets) {
    Plot plot(PlotAxis{.title = "Время (с)", .decimals = 1, .emptyMax = 30, .fromZero = true},
              PlotAxis{.title = "Скорость (км/ч)", .emptyMax = 200, .fromZero = true});
    bool shifts = false;
    for (const DynamicsSet& s : sets) {
        if (!HasFigures(s)) continue;
        const AccelerationResult& r = *s.result;
        PlotSeries run{.name = SetName(s.set), .color = s.color, .width = kSetWidth};
        run.points = DrawnTrace(r.trace);
        AddSetLegend(plot, s, LegendEntry::Of(run, {}));
        plot.series.push_back(std::move(run));

        PlotSeries marks{.name = SetName(s.set) + ": переключения",
                         .color = s.color,
                         .line = LineStyle::None,
                         .symbolRadius = kSymbolRadius + 1};
        for (const ShiftPoint& p : r.shifts) {
            marks.points.push_back({p.time, p.speed});
            marks.labels.push_back({IntToStr(p.from) + "→" + IntToStr(p.from + 1)});
        }
        shifts = shifts || !marks.points.empty();
        plot.series.push_back(std::move(marks));
    }
    if (shifts)
        plot.legend.push_back(StyleEntry(LineStyle::None, 1, kSymbolRadius + 1, "переключение"));
    return plot;
}

Plot BalancePlot(const DynamicsSets& sets) {
    Plot plot(PlotAxis{.title = "Скорость (км/ч)", .emptyMax = 200, .fromZero = true},
              PlotAxis{.title = "Сила (Н)", .emptyMax = 5000, .fromZero = true});
    // The first gears peak at the left, the top speeds lie low at the right: the top right
    // corner, above the peaks (kHeadroom), hides no more than the top speeds' dotted lines.
    plot.legendPlace = LegendPlace::TopRight;
    bool any = false, top = false;
    double highest = 0;
    for (const DynamicsSet& s : sets) {
        if (!HasFigures(s)) continue;
        any = true;
        const AccelerationResult& r = *s.result;
        const std::string name = SetName(s.set);
        AddSetLegend(plot, s, {s.color, kSetWidth, LineStyle::Solid, 0, {}});
        double end = 0;
        for (const TractionCurve& c : r.balance.gears) {
            PlotSeries gear{.name = name + ": передача " + IntToStr(c.gear),
                            .color = s.color,
                            .width = kSetWidth,
                            .points = c.points};
            // The label stands over the peak; over the last point of a flat one (first gear
            // while the clutch slips), away from the axis.
            std::size_t peak = 0;
            for (std::size_t i = 0; i < c.points.size(); ++i) {
                if (c.points[i].y >= c.points[peak].y) peak = i;
                end = std::max(end, c.points[i].x);
                highest = std::max(highest, c.points[i].y);
            }
            if (!c.points.empty()) {
                gear.labels.resize(peak + 1);
                gear.labels.back() = {IntToStr(c.gear)};
            }
            plot.series.push_back(std::move(gear));
        }
        plot.series.push_back({.name = name + ": предел сцепления",
                               .color = s.color,
                               .line = LineStyle::Dashed,
                               .points = {{0, r.balance.grip}, {end, r.balance.grip}}});
        plot.series.push_back({.name = name + ": сопротивление",
                               .color = s.color,
                               .width = kSetWidth,
                               .line = LineStyle::Dashed,
                               .points = r.balance.resistance});
        if (r.top) {
            top = true;
            // The figure stands by the point, low in the chart: the top of it is the legend's.
            plot.series.push_back({.name = name + ": максимальная скорость",
                                   .color = s.color,
                                   .line = LineStyle::None,
                                   .symbolRadius = kSymbolRadius + 1,
                                   .points = {{r.top->speed, r.top->force}},
                                   .labels = {{TableFigure(r.top->speed, 1, true) + " км/ч"}}});
            plot.markers.push_back(
                {.x = r.top->speed, .color = s.color, .line = LineStyle::Dotted});
        }
    }
    if (any) {
        plot.series.push_back(
            {.name = "", .line = LineStyle::None, .points = {{0, highest * kHeadroom}}});
        plot.legend.push_back(StyleEntry(LineStyle::Dashed, 1, 0, "предел сцепления"));
        plot.legend.push_back(
            StyleEntry(LineStyle::Dashed, kSetWidth, 0, "сопротивление движению"));
    }
    if (top) plot.legend.push_back(StyleEntry(LineStyle::Dotted, 1, 0, "максимальная скорость"));
    return plot;
}

Plot PairPlot(const DynamicsSets& sets, const PairSweeps& sweeps, double from, double to) {
    Plot plot(PlotAxis{.title = "Главная пара", .decimals = 2, .emptyMin = from, .emptyMax = to},
              PlotAxis{.title = "Время (с)", .decimals = 1, .emptyMax = 30},
              PlotAxis{.title = "Скорость (км/ч)", .emptyMax = 200});
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    const auto y = [](const std::optional<double>& v) { return v ? *v : kNone; };
    bool any = false;
    for (const DynamicsSet& s : sets) {
        if (!HasFigures(s) || !s.input) continue;
        any = true;
        const std::string name = SetName(s.set);
        AddSetLegend(plot, s, {s.color, kSetWidth, LineStyle::Solid, 0, {}});
        if (const PairSweep* sweep = sweeps[static_cast<std::size_t>(s.set - 1)]) {
            const struct {
                const char* what;
                LineStyle line;
                ValueAxis axis;
                std::optional<double> PairSweepPoint::*figure;
                const std::optional<PairSweepBest>& best;
            } curves[] = {
                {": 0–100 км/ч", LineStyle::Solid, ValueAxis::Left, &PairSweepPoint::to100,
                 sweep->bestTo100},
                {": 400 м", LineStyle::Dashed, ValueAxis::Left, &PairSweepPoint::time400,
                 sweep->best400},
                {": максимальная скорость", LineStyle::Dotted, ValueAxis::Right,
                 &PairSweepPoint::topSpeed, sweep->bestTop},
            };
            for (const auto& c : curves) {
                PlotSeries curve{.name = name + c.what,
                                 .color = s.color,
                                 .width = kSetWidth,
                                 .line = c.line,
                                 .axis = c.axis};
                curve.points.reserve(sweep->points.size());
                for (const PairSweepPoint& p : sweep->points) {
                    curve.points.push_back({p.pair, y(p.*c.figure)});
                }
                plot.series.push_back(std::move(curve));
                if (c.best) {
                    plot.series.push_back({.name = name + c.what + ": лучшая",
                                           .color = s.color,
                                           .line = LineStyle::None,
                                           .symbolRadius = kSymbolRadius + 1,
                                           .axis = c.axis,
                                           .points = {{c.best->pair, c.best->value}},
                                           .labels = {{TableFigure(c.best->pair, 2, false)}}});
                }
            }
        }
        // The set's own pair, as the other tabs drive it.
        const AccelerationResult& r = *s.result;
        const double own = s.input->mainPair;
        plot.series.push_back({.name = name + ": сейчас",
                               .color = s.color,
                               .line = LineStyle::None,
                               .symbolRadius = kSymbolRadius,
                               .points = {{own, y(r.to100)}, {own, y(r.time400)}}});
        plot.series.push_back({.name = name + ": сейчас, максимальная скорость",
                               .color = s.color,
                               .line = LineStyle::None,
                               .symbolRadius = kSymbolRadius,
                               .axis = ValueAxis::Right,
                               .points = {{own, y(r.TopSpeedKmh())}}});
        plot.markers.push_back({.x = own,
                                .color = s.color,
                                .line = LineStyle::Solid,
                                .caption = name + ": " + FloatToStr(own)});
    }
    // Each value axis's span of what is drawn, for the band above it (kPairBand) and the foot
    // below, two points that draw nothing.
    const PlotExtents drawn = DataExtents(plot);
    const auto band = [&](const std::optional<ValueExtent>& e, ValueAxis axis,
                          std::optional<double>& legendAbove) {
        if (!e) return;
        const double span = std::max(e->max - e->min, 1.0), pair = drawn.x->min;
        plot.series.push_back({.line = LineStyle::None,
                               .axis = axis,
                               .points = {{pair, e->max + kPairBand * span},
                                          {pair, std::max(0.0, e->min - kPairFoot * span)}}});
        // On a low chart the band grows to hold the legend: the curves stay below it.
        legendAbove = e->max;
    };
    band(drawn.y, ValueAxis::Left, plot.legendAbove);
    band(drawn.y2, ValueAxis::Right, plot.legendAbove2);
    if (any) {
        plot.legend.push_back(StyleEntry(LineStyle::Solid, kSetWidth, 0, "0–100 км/ч, с"));
        plot.legend.push_back(StyleEntry(LineStyle::Dashed, kSetWidth, 0, "400 м, с"));
        plot.legend.push_back(
            StyleEntry(LineStyle::Dotted, kSetWidth, 0, "максимальная скорость, км/ч (справа)"));
    }
    return plot;
}

}  // namespace kelm
