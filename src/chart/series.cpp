#include "chart/series.h"

#include <algorithm>

namespace kelm {

Series::Series(std::string_view name, SeriesRole role, Color color, bool labelsVisible)
    : name_(name), role_(role), color_(color), labelsVisible_(labelsVisible) {}

void Series::Clear() {
    points_.clear();
    Changed();
}

void Series::AddXY(double x, double y) {
    // After the last point whose x is less than or equal to the new x.
    const auto pos =
        std::upper_bound(points_.begin(), points_.end(), x,
                         [](double value, const ChartPoint& p) { return value < p.x; });
    points_.insert(pos, ChartPoint{x, y});
    Changed();
}

void Series::SetColor(Color c) {
    color_ = c;
    Changed();
}

void Series::SetLabelsVisible(bool on) {
    labelsVisible_ = on;
    Changed();
}

namespace {

// Before the first build: white shift curves and shift-speed series, green gear lines;
// labels on for everything but the shift curves.
Series Design(std::string_view name, SeriesRole role) {
    const bool gearLine = role == SeriesRole::GearLine;
    return Series(name, role, gearLine ? colors::Green : colors::White,
                  role != SeriesRole::ShiftCurve);
}

}  // namespace

ShiftChart::ShiftChart()
    : series_{
          Design("Series1", SeriesRole::ShiftCurve), Design("Series2", SeriesRole::GearLine),
          Design("Series3", SeriesRole::GearLine),   Design("Series4", SeriesRole::GearLine),
          Design("Series5", SeriesRole::GearLine),   Design("Series6", SeriesRole::GearLine),
          Design("Series7", SeriesRole::ShiftSpeed), Design("Series11", SeriesRole::ShiftCurve),
          Design("Series12", SeriesRole::GearLine),  Design("Series13", SeriesRole::GearLine),
          Design("Series14", SeriesRole::GearLine),  Design("Series15", SeriesRole::GearLine),
          Design("Series16", SeriesRole::GearLine),  Design("Series17", SeriesRole::ShiftSpeed)} {}

void ShiftChart::SetOnChange(const std::function<void()>& onChange) {
    for (Series& s : series_) s.SetOnChange(onChange);
}

}  // namespace kelm
