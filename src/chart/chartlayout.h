#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/colors.h"
#include "chart/plot.h"
#include "chart/series.h"

// The geometry of the chart panel without any drawing facility: margins, axis scales and
// their labels, label boxes, markers, the legend, the zoom gesture and the printed
// rectangle.  Pixels here are the chart's own layout units: the panel's pixels on screen,
// scaled as a whole on paper.

namespace kelm {

// Axis ranges of the chart, in data units.
struct AxisRanges {
    double xMin = 0, xMax = 0;    // bottom axis (the shift chart's road speed)
    double yMin = 0, yMax = 0;    // left axis (the shift chart's engine speed)
    double y2Min = 0, y2Max = 0;  // right axis; both 0 on a chart without one
    bool operator==(const AxisRanges&) const = default;
};

struct PixelRect {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
    // Whether (x, y) lies inside, the edges included.
    bool Contains(double x, double y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    bool operator==(const PixelRect&) const = default;
};

// The background runs from this light yellow at the top to white at the bottom.
constexpr Color kBackgroundTop = 0x80FFFF;

// Distance from a point to the lower edge of its label box; a connector spans it.
constexpr double kLabelOffset = 8;
// Room between a label's text and its box.
constexpr double kLabelPadding = 2;
// Drags of this many pixels or fewer, in either direction, are not zoom gestures.
constexpr double kZoomThreshold = 16;
// Radius of the symbols on the shift curve.
constexpr double kSymbolRadius = 3;

// Linear map between the values of one axis and its pixels.  On the left axis `to` lies
// above `from`, since engine speed grows upwards.
struct AxisScale {
    double min = 0, max = 1;  // values at the two ends
    double from = 0, to = 1;  // pixels of min and max
    double ToPixel(double v) const { return from + (v - min) * (to - from) / (max - min); }
    double ToValue(double p) const { return min + (p - from) * (max - min) / (to - from); }
};

// Text sizes, supplied by whoever draws (font metrics of the panel's fonts).
class TextMeasure {
  public:
    virtual ~TextMeasure() = default;
    virtual double Width(std::string_view utf8) const = 0;
    virtual double LineHeight() const = 0;
};

// Where everything goes for one panel size and one set of axis ranges.
struct ChartGeometry {
    PixelRect area;    // the panel minus its margins
    PixelRect series;  // what remains once the axes' labels and titles have their room
    AxisScale x, y;
    // The right axis, over the same pixels as the left one; only when hasY2.
    AxisScale y2;
    bool hasY2 = false;
    std::vector<double> xTicks, yTicks, y2Ticks;       // values that carry an axis label
    int xDecimals = 0, yDecimals = 0, y2Decimals = 0;  // of those labels (TickLabel)
    std::optional<PixelRect> legend;                   // the legend's box, when the plot has one
    // The caption box of each of the plot's markers (same index); none where the marker
    // has no caption or stands out of view.
    std::vector<std::optional<PixelRect>> markerCaptions;
    AxisRanges Ranges() const { return {x.min, x.max, y.min, y.max, y2.min, y2.max}; }
};

// Smallest and largest x and y over the points of all series; nothing without points.
std::optional<AxisRanges> DataRanges(const ShiftChart& chart);

// The smallest and largest finite value of each axis over the plot's points (a point with
// a NaN or infinite coordinate counts for neither axis); nothing where no point has one.
struct ValueExtent {
    double min = 0, max = 0;
    bool operator==(const ValueExtent&) const = default;
};
struct PlotExtents {
    std::optional<ValueExtent> x, y, y2;
};
PlotExtents DataExtents(const Plot& plot);

// An axis of no extent (e.g. only the origin) cannot be mapped: it is widened upwards by
// one; the right axis only where the chart has one.
AxisRanges Widened(AxisRanges r, bool rightAxis = false);

// The axes of a chart without points: the road and engine speeds of an ordinary car, so
// that an empty chart still reads as a shift chart waiting for its curves.
constexpr AxisRanges kEmptyChartRanges{0, 200, 0, 8000};

// What the axes show while not zoomed: the ranges of the points.  Where the points have no
// extent on an axis (no points at all, or only the origins of sets whose records were not
// found) that axis spans as much as in kEmptyChartRanges, from the points' value up.
AxisRanges AutomaticRanges(const ShiftChart& chart);

// The same rule for any plot, each axis with its own empty range; an axis that asks for
// it reaches to zero.  The right axis stays 0 to 0 on a plot without one.
AxisRanges AutomaticRanges(const Plot& plot);

// The automatic ranges of a plot laid out in a panel of width x height: those above, each value
// axis reaching higher where its legendAbove would stand under the legend or its band.
AxisRanges AutomaticRanges(const Plot& plot, double width, double height, const TextMeasure& text);

// The panel minus its margins: left 2 %, right 3 % of the width, top 5 %, bottom 2 % of
// the height, each rounded to the nearest pixel.
PixelRect PlottingArea(double width, double height);

// Step between axis labels: 1, 2 or 5 times a power of ten, never below 10^-decimals
// (whole numbers by default), so that a range of `range` gets at most about `maxLabels`
// labels.
double TickStep(double range, double maxLabels, int decimals = 0);
// The multiples of `step` from min to max.
std::vector<double> TickValues(double min, double max, double step);
// The decimals a label needs to show multiples of `step`, at most maxDecimals.
int TickDecimals(double step, int maxDecimals);
// An axis label: "#,##0" with the user's thousands separator, and with `decimals` > 0
// that many decimals after the user's decimal separator.
std::string TickLabel(double value, int decimals);

// Lays the chart out in a panel of width x height pixels: the plot's axes (their decimals,
// a right axis), its legend and its markers' captions.  The default plot has the two whole-
// number axes of the shift chart and nothing else.
ChartGeometry LayOutChart(double width, double height, const AxisRanges& ranges,
                          const TextMeasure& text, const Plot& plot = {});

// The lines of a bottom-axis label or a shift-speed label: broken at every plain space.
std::vector<std::string> SplitAtSpaces(std::string_view text);

// The label lines of a point: gear lines show the engine speed, the shift curve and the
// shift-speed series the road speed (the latter broken at spaces like the bottom axis).
std::vector<std::string> PointLabelLines(SeriesRole role, ChartPoint p);

// Whether a point lies within the ranges (its label is drawn only then).
bool InView(const AxisRanges& r, ChartPoint p);

// The box of a label of `lines` lines, `textWidth` wide, for a point at (px, py): centred
// on the point, its lower edge kLabelOffset above it.
PixelRect LabelBox(double px, double py, double textWidth, std::size_t lines, double lineHeight);

// The runs of consecutive points whose coordinates are both finite, as [first, last)
// index pairs: the pieces of a line that a NaN point breaks.
std::vector<std::pair<std::size_t, std::size_t>> FiniteRuns(const std::vector<ChartPoint>& points);

// The legend: rows of one text line each, a line sample before the text, in a padded box.
constexpr double kLegendSample = 24;  // length of the line sample
constexpr double kLegendPadding = 4;  // inside the box, and between sample and text
constexpr double kLegendInset = 8;    // from the axes
// The legend's size for its entries.
std::pair<double, double> LegendSize(const std::vector<LegendEntry>& entries,
                                     const TextMeasure& text);

// What a left-button drag from (x0, y0) to (x1, y1) asks for.
enum class DragAction { None, Zoom, Unzoom };
DragAction ClassifyDrag(double x0, double y0, double x1, double y1);

// The value ranges under a rectangle dragged right and down from (x0, y0) to (x1, y1),
// the right axis' too where the chart has one.
AxisRanges RangesUnder(const ChartGeometry& g, double x0, double y0, double x1, double y1);

// The printed rectangle on a page of the given size in dots: 15 % margins on every side,
// rounded to the nearest dot.
struct DotRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const DotRect&) const = default;
};
DotRect PrintRect(int pageWidth, int pageHeight);

// Cuts the segment to the box; false when no part of it lies inside.  Keeps coordinates
// that a zoom has blown up far beyond the panel out of pictures and printer files.
bool ClipSegment(const PixelRect& box, double& x0, double& y0, double& x1, double& y1);

}  // namespace kelm
