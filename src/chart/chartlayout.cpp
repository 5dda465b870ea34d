#include "chart/chartlayout.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "base/numtext.h"

namespace kelm {

namespace {

constexpr double kTickLength = 4;
constexpr double kLabelGap = 2;    // between a tick and its label
constexpr double kTitleGap = 4;    // between the labels and the axis title
constexpr double kCaptionGap = 3;  // between a marker and its caption
constexpr std::size_t kMaxTicks = 1000;

double WidestLine(const std::string& label, const TextMeasure& text) {
    double widest = 0;
    for (const std::string& line : SplitAtSpaces(label))
        widest = std::max(widest, text.Width(line));
    return widest;
}

struct Ticks {
    std::vector<double> values;
    int decimals = 0;
};

Ticks MakeTicks(const AxisScale& s, double spacing, int decimals) {
    const double step = TickStep(s.max - s.min, std::fabs(s.to - s.from) / spacing, decimals);
    return {TickValues(s.min, s.max, step), TickDecimals(step, decimals)};
}

std::size_t MostLines(const Ticks& ticks) {
    std::size_t lines = 1;
    for (double v : ticks.values)
        lines = std::max(lines, SplitAtSpaces(TickLabel(v, ticks.decimals)).size());
    return lines;
}

// Bottom-axis labels stand side by side: their spacing follows their width.
Ticks BottomTicks(const AxisScale& s, const TextMeasure& text, int decimals) {
    const double widest = std::max(WidestLine(TickLabel(s.min, decimals), text),
                                   WidestLine(TickLabel(s.max, decimals), text));
    return MakeTicks(s, widest + 2 * text.LineHeight(), decimals);
}

// Value-axis labels stand one above the other: their spacing follows the line height.
Ticks ValueTicks(const AxisScale& s, const TextMeasure& text, int decimals) {
    return MakeTicks(s, 2.5 * text.LineHeight(), decimals);
}

double WidestLabel(const Ticks& ticks, const TextMeasure& text) {
    double widest = 0;
    for (double v : ticks.values)
        widest = std::max(widest, text.Width(TickLabel(v, ticks.decimals)));
    return widest;
}

void Include(std::optional<ValueExtent>& e, double v) {
    if (!std::isfinite(v)) return;
    if (!e) {
        e = ValueExtent{v, v};
        return;
    }
    e->min = std::min(e->min, v);
    e->max = std::max(e->max, v);
}

// An axis' automatic range: the points' extent, reaching to zero where the axis asks, and
// the axis' empty span where that has no extent.
std::pair<double, double> AutomaticRange(const std::optional<ValueExtent>& e,
                                         const PlotAxis& axis) {
    if (!e) return {axis.emptyMin, axis.emptyMax};
    double lo = e->min, hi = e->max;
    if (axis.fromZero) {
        lo = std::min(lo, 0.0);
        hi = std::max(hi, 0.0);
    }
    if (!(hi > lo)) hi = lo + (axis.emptyMax - axis.emptyMin);
    return {lo, hi};
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// How much of what the plot draws in view a box would hide: the length of the lines and
// markers inside it, and the size of the symbols and captions.
double CoveredBy(const PixelRect& box, const Plot& plot, const ChartGeometry& g) {
    double covered = 0;
    for (const PlotSeries& s : plot.series) {
        const AxisScale& ys = plot.OnRight(s) ? g.y2 : g.y;
        for (const auto& [first, last] : FiniteRuns(s.points)) {
            for (std::size_t i = first; i < last; ++i) {
                const double px = g.x.ToPixel(s.points[i].x), py = ys.ToPixel(s.points[i].y);
                if (s.symbolRadius > 0 && box.Contains(px, py)) covered += 2 * s.symbolRadius;
                if (s.line == LineStyle::None || i + 1 == last) continue;
                double x0 = px, y0 = py, x1 = g.x.ToPixel(s.points[i + 1].x),
                       y1 = ys.ToPixel(s.points[i + 1].y);
                if (ClipSegment(box, x0, y0, x1, y1)) covered += std::hypot(x1 - x0, y1 - y0);
            }
        }
    }
    for (std::size_t i = 0; i < plot.markers.size(); ++i) {
        const double px = g.x.ToPixel(plot.markers[i].x);
        if (px >= box.left && px <= box.right) covered += box.Height();
        if (const auto& c = g.markerCaptions[i]; c && Overlap(*c, box)) covered += c->Width();
    }
    return covered;
}

// The legend's box where it hides least: in a corner, or else in the middle of the top or
// bottom edge (the plot's own corner where it fixes one).
PixelRect PlaceLegend(const Plot& plot, const ChartGeometry& g, const TextMeasure& text) {
    const auto [w, h] = LegendSize(plot.legend, text);
    const double left = g.x.from + kLegendInset, right = g.x.to - kLegendInset - w;
    const double centre = std::round((g.x.from + g.x.to - w) / 2);
    const double top = g.y.to + kLegendInset, bottom = g.y.from - kLegendInset - h;
    // In the order of the LegendPlace corners, the middles last.
    const PixelRect places[] = {
        {right, top, right + w, top + h},       {left, top, left + w, top + h},
        {right, bottom, right + w, bottom + h}, {left, bottom, left + w, bottom + h},
        {centre, top, centre + w, top + h},     {centre, bottom, centre + w, bottom + h}};
    if (plot.legendPlace != LegendPlace::Auto)
        return places[static_cast<int>(plot.legendPlace) - 1];
    std::size_t best = 0;
    double least = CoveredBy(places[0], plot, g);
    for (std::size_t i = 1; i < std::size(places); ++i) {
        const double covered = CoveredBy(places[i], plot, g);
        if (covered < least) {
            least = covered;
            best = i;
        }
    }
    return places[best];
}

// Each caption beside the top of its marker, on the right, or on the left where the right
// has no room; moved down below any caption it would overlap.
std::vector<std::optional<PixelRect>> PlaceCaptions(const Plot& plot, const ChartGeometry& g,
                                                    const TextMeasure& text) {
    std::vector<std::optional<PixelRect>> boxes(plot.markers.size());
    const double h = text.LineHeight() + 2 * kLabelPadding;
    for (std::size_t i = 0; i < plot.markers.size(); ++i) {
        const PlotMarker& m = plot.markers[i];
        if (m.caption.empty() || !(m.x >= g.x.min && m.x <= g.x.max)) continue;
        const double px = g.x.ToPixel(m.x);
        const double w = text.Width(m.caption) + 2 * kLabelPadding;
        PixelRect box{px + kCaptionGap, g.y.to, px + kCaptionGap + w, g.y.to + h};
        if (box.right > g.series.right)
            box = {px - kCaptionGap - w, box.top, px - kCaptionGap, box.bottom};
        for (bool moved = true; moved;) {
            moved = false;
            for (std::size_t j = 0; j < i; ++j) {
                if (boxes[j] && Overlap(*boxes[j], box)) {
                    box.top = boxes[j]->bottom + kLabelGap;
                    box.bottom = box.top + h;
                    moved = true;
                }
            }
        }
        boxes[i] = box;
    }
    return boxes;
}

}  // namespace

std::optional<AxisRanges> DataRanges(const ShiftChart& chart) {
    const PlotExtents e = DataExtents(ShiftPlot(chart));
    if (!e.x) return std::nullopt;
    return AxisRanges{e.x->min, e.x->max, e.y->min, e.y->max};
}

PlotExtents DataExtents(const Plot& plot) {
    PlotExtents e;
    for (const PlotSeries& s : plot.series) {
        std::optional<ValueExtent>& values = plot.OnRight(s) ? e.y2 : e.y;
        for (const ChartPoint& p : s.points) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
            Include(e.x, p.x);
            Include(values, p.y);
        }
    }
    return e;
}

AxisRanges Widened(AxisRanges r, bool rightAxis) {
    if (!(r.xMax > r.xMin)) r.xMax = r.xMin + 1;
    if (!(r.yMax > r.yMin)) r.yMax = r.yMin + 1;
    if (rightAxis && !(r.y2Max > r.y2Min)) r.y2Max = r.y2Min + 1;
    return r;
}

AxisRanges AutomaticRanges(const ShiftChart& chart) { return AutomaticRanges(ShiftPlot(chart)); }

AxisRanges AutomaticRanges(const Plot& plot) {
    const PlotExtents e = DataExtents(plot);
    AxisRanges r;
    std::tie(r.xMin, r.xMax) = AutomaticRange(e.x, plot.x);
    std::tie(r.yMin, r.yMax) = AutomaticRange(e.y, plot.left);
    if (plot.right) std::tie(r.y2Min, r.y2Max) = AutomaticRange(e.y2, *plot.right);
    return r;
}

AxisRanges AutomaticRanges(const Plot& plot, double width, double height, const TextMeasure& text) {
    AxisRanges r = AutomaticRanges(plot);
    if (plot.legend.empty() || (!plot.legendAbove && !plot.legendAbove2)) return r;
    // The value axes' pixels do not depend on their ranges: one layout tells them.
    const ChartGeometry g = LayOutChart(width, height, r, text, plot);
    const double axis = g.y.from - g.y.to;
    // The legend below its inset, and the label of a point just under it; the curves keep a
    // third of the height where the chart is too low for that.
    const double band = kLegendInset + LegendSize(plot.legend, text).second + kLabelOffset +
                        text.LineHeight() + 2 * kLabelPadding;
    const double clear = std::min(band, axis * 2 / 3);
    const auto reach = [&](double min, double& max, const std::optional<double>& above) {
        if (above && *above > min && axis > clear)
            max = std::max(max, min + (*above - min) * axis / (axis - clear));
    };
    reach(r.yMin, r.yMax, plot.legendAbove);
    if (plot.right) reach(r.y2Min, r.y2Max, plot.legendAbove2);
    return r;
}

PixelRect PlottingArea(double width, double height) {
    return {std::round(width * 0.02), std::round(height * 0.05), width - std::round(width * 0.03),
            height - std::round(height * 0.02)};
}

double TickStep(double range, double maxLabels, int decimals) {
    if (!(maxLabels >= 1)) maxLabels = 1;
    const double raw = range / maxLabels;
    const double finest = std::pow(10.0, -std::clamp(decimals, 0, 15));
    if (!(raw > finest) || !std::isfinite(raw)) return finest;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw * (1 - 1e-12)) return m * power;
    }
    return 10 * power;
}

std::vector<double> TickValues(double min, double max, double step) {
    std::vector<double> ticks;
    if (!(step > 0) || !(max >= min)) return ticks;
    const double first = std::ceil(min / step - 1e-9) * step;
    for (std::size_t i = 0; i < kMaxTicks; ++i) {
        const double v = first + static_cast<double>(i) * step;
        if (v > max + step * 1e-9) break;
        ticks.push_back(v);
    }
    return ticks;
}

int TickDecimals(double step, int maxDecimals) {
    double scaled = step;
    for (int d = 0; d < maxDecimals; ++d, scaled *= 10) {
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, scaled)) return d;
    }
    return std::max(0, maxDecimals);
}

std::string TickLabel(double value, int decimals) {
    // Whole numbers keep the shift chart's "#,##0", rounded half away from zero.
    if (decimals <= 0) return FormatGrouped(value);
    return FormatFixed(value, decimals, GlobalNumberFormat().thousandSeparator);
}

ChartGeometry LayOutChart(double width, double height, const AxisRanges& ranges,
                          const TextMeasure& text, const Plot& plot) {
    const AxisRanges r = Widened(ranges, plot.right.has_value());
    const double lineHeight = text.LineHeight();
    ChartGeometry g;
    g.area = PlottingArea(width, height);
    g.hasY2 = plot.right.has_value();
    // The bottom labels' line count decides the room below the series, which decides the
    // value labels' width, which decides the bottom axis' length and so its labels: start
    // from the whole area's width and settle in a second pass if the count changed.
    g.x = {r.xMin, r.xMax, g.area.left, g.area.left + std::max(1.0, 0.98 * g.area.Width())};
    std::size_t lines = MostLines(BottomTicks(g.x, text, plot.x.decimals));
    for (int pass = 0; pass < 2; ++pass) {
        const double bottomRoom =
            kTickLength + kLabelGap + lines * lineHeight + kTitleGap + lineHeight;
        g.series.top = g.area.top;
        g.series.bottom = std::max(g.series.top + 2, g.area.bottom - bottomRoom);
        const double axisTop = g.series.top + std::round(0.03 * g.series.Height());
        g.y = {r.yMin, r.yMax, g.series.bottom, std::min(axisTop, g.series.bottom - 1)};
        const Ticks left = ValueTicks(g.y, text, plot.left.decimals);
        g.yTicks = left.values;
        g.yDecimals = left.decimals;
        g.series.left = g.area.left + lineHeight + kTitleGap + WidestLabel(left, text) + kLabelGap +
                        kTickLength;

        // The right axis' labels and title take their room from the right in the same way.
        g.y2 = {r.y2Min, r.y2Max, g.y.from, g.y.to};
        double rightRoom = 0;
        if (plot.right) {
            const Ticks right = ValueTicks(g.y2, text, plot.right->decimals);
            g.y2Ticks = right.values;
            g.y2Decimals = right.decimals;
            rightRoom = kTickLength + kLabelGap + WidestLabel(right, text) + kTitleGap + lineHeight;
        }
        g.series.right = std::max(g.series.left + 2, g.area.right - rightRoom);
        g.x = {r.xMin, r.xMax, g.series.left,
               g.series.left + std::max(1.0, 0.98 * g.series.Width())};
        const Ticks bottom = BottomTicks(g.x, text, plot.x.decimals);
        g.xTicks = bottom.values;
        g.xDecimals = bottom.decimals;

        const std::size_t settled = MostLines(bottom);
        if (settled == lines) break;
        lines = settled;
    }
    g.markerCaptions = PlaceCaptions(plot, g, text);
    if (!plot.legend.empty()) g.legend = PlaceLegend(plot, g, text);
    return g;
}

std::vector<std::string> SplitAtSpaces(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = text.find(' ', start);
        lines.emplace_back(text.substr(start, space - start));
        if (space == std::string_view::npos) return lines;
        start = space + 1;
    }
}

std::vector<std::string> PointLabelLines(SeriesRole role, ChartPoint p) {
    switch (role) {
        case SeriesRole::GearLine:
            return {FormatGrouped(p.y)};
        case SeriesRole::ShiftSpeed:
            return SplitAtSpaces(FormatGrouped(p.x));
        case SeriesRole::ShiftCurve:
            break;
    }
    return {FormatGrouped(p.x)};
}

bool InView(const AxisRanges& r, ChartPoint p) {
    return p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax;
}

PixelRect LabelBox(double px, double py, double textWidth, std::size_t lines, double lineHeight) {
    const double w = textWidth + 2 * kLabelPadding;
    const double h = static_cast<double>(lines) * lineHeight + 2 * kLabelPadding;
    const double bottom = py - kLabelOffset;
    return {px - w / 2, bottom - h, px + w / 2, bottom};
}

DragAction ClassifyDrag(double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0;
    if (std::fabs(dx) <= kZoomThreshold || std::fabs(dy) <= kZoomThreshold) return DragAction::None;
    return dx > 0 && dy > 0 ? DragAction::Zoom : DragAction::Unzoom;
}

AxisRanges RangesUnder(const ChartGeometry& g, double x0, double y0, double x1, double y1) {
    // The lower screen edge holds the smaller values.
    AxisRanges r{g.x.ToValue(x0), g.x.ToValue(x1), g.y.ToValue(y1), g.y.ToValue(y0)};
    if (g.hasY2) {
        r.y2Min = g.y2.ToValue(y1);
        r.y2Max = g.y2.ToValue(y0);
    }
    return r;
}

std::vector<std::pair<std::size_t, std::size_t>> FiniteRuns(const std::vector<ChartPoint>& points) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    std::size_t first = 0;
    for (std::size_t i = 0; i <= points.size(); ++i) {
        if (i < points.size() && std::isfinite(points[i].x) && std::isfinite(points[i].y)) continue;
        if (i > first) runs.emplace_back(first, i);
        first = i + 1;
    }
    return runs;
}

std::pair<double, double> LegendSize(const std::vector<LegendEntry>& entries,
                                     const TextMeasure& text) {
    double widest = 0;
    for (const LegendEntry& e : entries) widest = std::max(widest, text.Width(e.text));
    return {kLegendPadding + kLegendSample + kLegendPadding + widest + kLegendPadding,
            2 * kLegendPadding + static_cast<double>(entries.size()) * text.LineHeight()};
}

DotRect PrintRect(int pageWidth, int pageHeight) {
    const int mx = static_cast<int>(std::lround(pageWidth * 15.0 / 100.0));
    const int my = static_cast<int>(std::lround(pageHeight * 15.0 / 100.0));
    return {mx, my, pageWidth - mx, pageHeight - my};
}

bool ClipSegment(const PixelRect& box, double& x0, double& y0, double& x1, double& y1) {
    // Liang-Barsky: the part of the segment x0 + t*dx, t in [0, 1], inside each edge.
    const double dx = x1 - x0, dy = y1 - y0;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - box.left, box.right - x0, y0 - box.top, box.bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;  // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    // Ends inside the box stay exactly as they were.
    const double sx = x0, sy = y0;
    if (t0 > 0) {
        x0 = sx + t0 * dx;
        y0 = sy + t0 * dy;
    }
    if (t1 < 1) {
        x1 = sx + t1 * dx;
        y1 = sy + t1 * dy;
    }
    return true;
}

}  // namespace kelm
