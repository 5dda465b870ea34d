#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"
#include "chart/series.h"

// What a chart shows, without any drawing facility: its axes, its point series, vertical
// markers and a small legend.  The chart panel (`ChartPanel`) draws a `Plot` the one way it
// draws everything, on screen, into the clipboard, into a file and on paper; the shift chart
// is a `Plot` too (`ShiftPlot`).  Texts are UTF-8; colours are the program's `Color`
// (0x00BBGGRR, as the colour pickers give them); sizes are the chart's layout pixels.
//
// A window that shows a chart of its own keeps a `PlotModel`, gives it to a `ChartPanel`,
// and sets a new `Plot` whenever its figures change:
//
//     PlotModel model_;                                  // a member, made before the panel
//     auto* panel = new ChartPanel(model_, this);
//     panel->setObjectName("ChartRazgon");              // the print job's title
//     ...
//     Plot p(PlotAxis{.title = "Время (с)", .decimals = 1, .emptyMax = 30},
//            PlotAxis{.title = "Скорость (км/ч)", .emptyMax = 200, .fromZero = true});
//     PlotSeries run{.color = set1Colour, .width = 2};
//     for (const Sample& s : samples) run.points.push_back({s.t, s.kmh});
//     p.series.push_back(run);
//     PlotSeries shifts{.color = set1Colour, .line = LineStyle::None, .symbolRadius = 3};
//     shifts.points.push_back({4.1, 45.5});
//     shifts.labels.push_back({"1→2"});                 // a boxed label over the symbol
//     p.series.push_back(shifts);
//     p.markers.push_back({.x = 159.4, .color = set1Colour, .caption = "159,4 км/ч"});
//     p.legend.push_back(LegendEntry::Of(run, "Набор 1"));
//     model_.Set(std::move(p));                          // the panel repaints
//
// A figure that cannot be had is a NaN point: the line stops before it and starts again
// after it; it counts for no axis range.  The axes scale to the points (zooming with the
// mouse overrides that until undone); an axis without points spans its empty range.

namespace kelm {

enum class LineStyle { None, Solid, Dashed, Dotted };

// The value axis a series is read against.
enum class ValueAxis { Left, Right };

struct PlotAxis {
    std::string title{};  // with its unit, e.g. "Скорость (км/ч)"; written upwards on a value axis
    // Most decimals a tick label shows.  0: whole numbers, step at least 1, "#,##0" with the
    // user's thousands separator.  1 or 2: steps down to 0.1 or 0.01, each label with as
    // many decimals as the step needs ("3", "3,5"), the user's decimal separator.
    int decimals = 0;
    // The range an axis spans without points; with points of one value only, the axis
    // spans as much from that value up.
    double emptyMin = 0, emptyMax = 1;
    // The automatic range reaches to zero (forces, torques), not only to the smallest point.
    bool fromZero = false;
};

struct PlotSeries {
    std::string name{};  // not drawn: for the window's own use and for tests
    Color color = colors::Black;
    double width = 1;  // of the line
    LineStyle line = LineStyle::Solid;
    double symbolRadius = 0;           // a filled circle in the colour at every point; 0: none
    ValueAxis axis = ValueAxis::Left;  // Right needs a plot with a right axis
    // Joined in this order (not sorted); a point with a NaN coordinate breaks the line.
    std::vector<ChartPoint> points{};
    // Label lines for the point of the same index, stacked in a box 8 pixels above it and
    // joined to it by a short line in the series colour; an empty entry, or no entry at
    // all, gives no label.  Shown only while the point is in view.
    std::vector<std::vector<std::string>> labels{};
    bool labelBoxes = true;  // opaque white boxes framed in the colour; false: bare text
};

// A vertical line across the whole value range at `x`, with a caption in a box beside its
// top (stacked downwards where captions would overlap).  Not drawn while x is out of view.
struct PlotMarker {
    double x = 0;
    Color color = colors::Black;
    LineStyle line = LineStyle::Dashed;
    double width = 1;
    std::string caption{};  // one line; empty: none
};

// One line of the legend: a short sample of the line (and its symbol) and a text.
struct LegendEntry {
    Color color = colors::Black;
    double width = 1;
    LineStyle line = LineStyle::Solid;
    double symbolRadius = 0;
    std::string text{};

    static LegendEntry Of(const PlotSeries& s, std::string text) {
        return {s.color, s.width, s.line, s.symbolRadius, std::move(text)};
    }
};

// Where the legend stands inside the axes.  Auto takes the place that hides the least of
// the lines, markers, captions and symbols in view: a corner (top right, top left, bottom
// right, bottom left, in this order on a tie) or the middle of the top or bottom edge.
enum class LegendPlace { Auto, TopRight, TopLeft, BottomRight, BottomLeft };

struct Plot {
    Plot() = default;
    Plot(PlotAxis x, PlotAxis left, std::optional<PlotAxis> right = std::nullopt)
        : x(std::move(x)), left(std::move(left)), right(std::move(right)) {}

    PlotAxis x;                      // the bottom axis
    PlotAxis left;                   // the left value axis
    std::optional<PlotAxis> right;   // a second value axis with its own range, on the right
    std::vector<PlotSeries> series;  // drawn in this order, later ones on top
    std::vector<PlotMarker> markers;
    std::vector<LegendEntry> legend;  // none: no legend
    LegendPlace legendPlace = LegendPlace::Auto;
    // The highest value of the left and of the right axis that the legend leaves clear: laid
    // out with its automatic ranges, however low the chart, each axis reaches so far above it
    // that the legend and a point's label stand between it and the axis' top.  None: the axes
    // end where their points do.
    std::optional<double> legendAbove, legendAbove2;

    // Whether the series is read against the right axis (a plot without one has none).
    bool OnRight(const PlotSeries& s) const { return right && s.axis == ValueAxis::Right; }
};

// A plot that a view watches: every change calls the callback, so the panel repaints.
class PlotModel {
  public:
    const Plot& Get() const { return plot_; }
    void Set(Plot plot) {
        plot_ = std::move(plot);
        Changed();
    }
    // Changes the plot in place: model.Edit([](Plot& p) { p.markers.clear(); });
    template <class F>
    void Edit(F&& change) {
        change(plot_);
        Changed();
    }
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  private:
    void Changed() {
        if (onChange_) onChange_();
    }
    Plot plot_;
    std::function<void()> onChange_;
};

// The shift chart's fourteen series as a plot: engine speed over road speed, whole-number
// axes, an empty chart spanning 0 to 200 km/h and 0 to 8000 rev/min.  Shift curves 3 pixels
// wide with symbols of radius 3 and bare labels, gear lines 1 pixel wide labelled with the
// engine speed, shift-speed series labels only (road speed, broken at plain spaces); labels
// only where the series' flag is on.
Plot ShiftPlot(const ShiftChart& chart);

}  // namespace kelm
