#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/colors.h"
#include "chart/series.h"

// The geometry of the chart panel without any drawing facility: margins, axis scales and
// their labels, label boxes, the zoom gesture and the printed rectangle.  Pixels here are
// the chart's own layout units: the panel's pixels on screen, scaled as a whole on paper.

namespace kelm {

// Axis ranges of the chart, in data units.
struct AxisRanges {
    double xMin = 0, xMax = 0;  // road speed, bottom axis
    double yMin = 0, yMax = 0;  // engine speed, left axis
    bool operator==(const AxisRanges&) const = default;
};

struct PixelRect {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
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

// Where everything goes for one panel size and one pair of axis ranges.
struct ChartGeometry {
    PixelRect area;    // the panel minus its margins
    PixelRect series;  // what remains once the axes' labels and titles have their room
    AxisScale x, y;
    std::vector<double> xTicks, yTicks;  // values that carry an axis label
    AxisRanges Ranges() const { return {x.min, x.max, y.min, y.max}; }
};

// Smallest and largest x and y over the points of all series; nothing without points.
std::optional<AxisRanges> DataRanges(const ShiftChart& chart);

// An axis of no extent (e.g. only the origin) cannot be mapped: it is widened upwards by one.
AxisRanges Widened(AxisRanges r);

// The axes of a chart without points: the road and engine speeds of an ordinary car, so
// that an empty chart still reads as a shift chart waiting for its curves.
constexpr AxisRanges kEmptyChartRanges{0, 200, 0, 8000};

// What the axes show while not zoomed: the ranges of the points.  Where the points have no
// extent on an axis (no points at all, or only the origins of sets whose records were not
// found) that axis spans as much as in kEmptyChartRanges, from the points' value up.
AxisRanges AutomaticRanges(const ShiftChart& chart);

// The panel minus its margins: left 2 %, right 3 % of the width, top 5 %, bottom 2 % of
// the height, each rounded to the nearest pixel.
PixelRect PlottingArea(double width, double height);

// Step between axis labels: 1, 2 or 5 times a power of ten, never below 1 (the labels are
// whole numbers), so that a range of `range` gets at most about `maxLabels` labels.
double TickStep(double range, double maxLabels);
// The multiples of `step` from min to max.
std::vector<double> TickValues(double min, double max, double step);

// Lays the chart out in a panel of width x height pixels.
ChartGeometry LayOutChart(double width, double height, const AxisRanges& ranges,
                          const TextMeasure& text);

// Text of an axis label or a point label: "#,##0" with the user's thousands separator.
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

// What a left-button drag from (x0, y0) to (x1, y1) asks for.
enum class DragAction { None, Zoom, Unzoom };
DragAction ClassifyDrag(double x0, double y0, double x1, double y1);

// The value ranges under a rectangle dragged right and down from (x0, y0) to (x1, y1).
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
