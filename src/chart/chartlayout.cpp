#include "chart/chartlayout.h"

#include <algorithm>
#include <cmath>

#include "base/numtext.h"

namespace kelm {

namespace {

constexpr double kTickLength = 4;
constexpr double kLabelGap = 2;  // between a tick and its label
constexpr double kTitleGap = 4;  // between the labels and the axis title
constexpr std::size_t kMaxTicks = 1000;

double WidestLine(const std::string& label, const TextMeasure& text) {
    double widest = 0;
    for (const std::string& line : SplitAtSpaces(label))
        widest = std::max(widest, text.Width(line));
    return widest;
}

std::size_t MostLines(const std::vector<double>& ticks) {
    std::size_t lines = 1;
    for (double v : ticks) lines = std::max(lines, SplitAtSpaces(FormatGrouped(v)).size());
    return lines;
}

// Bottom-axis labels stand side by side: their spacing follows their width.
std::vector<double> BottomTicks(const AxisScale& s, const TextMeasure& text) {
    const double widest =
        std::max(WidestLine(FormatGrouped(s.min), text), WidestLine(FormatGrouped(s.max), text));
    const double spacing = widest + 2 * text.LineHeight();
    return TickValues(s.min, s.max, TickStep(s.max - s.min, std::fabs(s.to - s.from) / spacing));
}

// Left-axis labels stand one above the other: their spacing follows the line height.
std::vector<double> LeftTicks(const AxisScale& s, const TextMeasure& text) {
    const double spacing = 2.5 * text.LineHeight();
    return TickValues(s.min, s.max, TickStep(s.max - s.min, std::fabs(s.to - s.from) / spacing));
}

}  // namespace

std::optional<AxisRanges> DataRanges(const ShiftChart& chart) {
    std::optional<AxisRanges> r;
    for (const Series& s : chart) {
        for (const ChartPoint& p : s.Points()) {
            if (!r) {
                r = AxisRanges{p.x, p.x, p.y, p.y};
                continue;
            }
            r->xMin = std::min(r->xMin, p.x);
            r->xMax = std::max(r->xMax, p.x);
            r->yMin = std::min(r->yMin, p.y);
            r->yMax = std::max(r->yMax, p.y);
        }
    }
    return r;
}

AxisRanges Widened(AxisRanges r) {
    if (!(r.xMax > r.xMin)) r.xMax = r.xMin + 1;
    if (!(r.yMax > r.yMin)) r.yMax = r.yMin + 1;
    return r;
}

AxisRanges AutomaticRanges(const ShiftChart& chart) {
    AxisRanges r = DataRanges(chart).value_or(AxisRanges{});
    if (!(r.xMax > r.xMin)) r.xMax = r.xMin + (kEmptyChartRanges.xMax - kEmptyChartRanges.xMin);
    if (!(r.yMax > r.yMin)) r.yMax = r.yMin + (kEmptyChartRanges.yMax - kEmptyChartRanges.yMin);
    return r;
}

PixelRect PlottingArea(double width, double height) {
    return {std::round(width * 0.02), std::round(height * 0.05), width - std::round(width * 0.03),
            height - std::round(height * 0.02)};
}

double TickStep(double range, double maxLabels) {
    if (!(maxLabels >= 1)) maxLabels = 1;
    const double raw = range / maxLabels;
    if (!(raw > 1) || !std::isfinite(raw)) return 1;
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

ChartGeometry LayOutChart(double width, double height, const AxisRanges& ranges,
                          const TextMeasure& text) {
    const AxisRanges r = Widened(ranges);
    const double lineHeight = text.LineHeight();
    ChartGeometry g;
    g.area = PlottingArea(width, height);
    // The bottom labels' line count decides the room below the series, which decides the
    // left labels' width, which decides the bottom axis' length and so its labels: start
    // from the whole area's width and settle in a second pass if the count changed.
    g.x = {r.xMin, r.xMax, g.area.left, g.area.left + std::max(1.0, 0.98 * g.area.Width())};
    std::size_t lines = MostLines(BottomTicks(g.x, text));
    for (int pass = 0; pass < 2; ++pass) {
        const double bottomRoom =
            kTickLength + kLabelGap + lines * lineHeight + kTitleGap + lineHeight;
        g.series.top = g.area.top;
        g.series.bottom = std::max(g.series.top + 2, g.area.bottom - bottomRoom);
        const double axisTop = g.series.top + std::round(0.03 * g.series.Height());
        g.y = {r.yMin, r.yMax, g.series.bottom, std::min(axisTop, g.series.bottom - 1)};
        g.yTicks = LeftTicks(g.y, text);

        double widest = 0;
        for (double v : g.yTicks) widest = std::max(widest, text.Width(FormatGrouped(v)));
        g.series.left = g.area.left + lineHeight + kTitleGap + widest + kLabelGap + kTickLength;
        g.series.right = std::max(g.series.left + 2, g.area.right);
        g.x = {r.xMin, r.xMax, g.series.left,
               g.series.left + std::max(1.0, 0.98 * g.series.Width())};
        g.xTicks = BottomTicks(g.x, text);

        const std::size_t settled = MostLines(g.xTicks);
        if (settled == lines) break;
        lines = settled;
    }
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
    // The lower screen edge holds the smaller engine speed.
    return {g.x.ToValue(x0), g.x.ToValue(x1), g.y.ToValue(y1), g.y.ToValue(y0)};
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
