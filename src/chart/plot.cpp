#include "chart/plot.h"

#include "chart/chartlayout.h"

namespace kelm {

Plot ShiftPlot(const ShiftChart& chart) {
    Plot plot(
        PlotAxis{"Скорость (км/ч)", 0, kEmptyChartRanges.xMin, kEmptyChartRanges.xMax},
        PlotAxis{"Обороты двигателя (об/мин)", 0, kEmptyChartRanges.yMin, kEmptyChartRanges.yMax});
    plot.series.reserve(chart.Count());
    for (const Series& s : chart) {
        PlotSeries& out = plot.series.emplace_back();
        out.name = s.Name();
        out.color = s.GetColor();
        out.points = s.Points();
        switch (s.Role()) {
            case SeriesRole::ShiftCurve:
                out.width = 3;
                out.symbolRadius = kSymbolRadius;
                // Never switched on by the program; they would stand without a box.
                out.labelBoxes = false;
                break;
            case SeriesRole::GearLine:
                break;
            case SeriesRole::ShiftSpeed:
                out.line = LineStyle::None;
                break;
        }
        if (!s.LabelsVisible()) continue;
        out.labels.reserve(out.points.size());
        for (const ChartPoint& p : out.points) out.labels.push_back(PointLabelLines(s.Role(), p));
    }
    return plot;
}

}  // namespace kelm
