#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "base/colors.h"

namespace kelm {

// A point of a chart: x along the bottom axis, y up a value axis (on the shift chart, road
// speed in km/h and engine speed in rev/min).
struct ChartPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ChartPoint&) const = default;
};

// What a series stands for on the chart; it decides how the panel draws it.
enum class SeriesRole { ShiftCurve, GearLine, ShiftSpeed };

// One point series: points kept sorted by ascending x, a new point going after the points
// of equal x already present, so points of one road speed keep the order of adding.
class Series {
  public:
    Series(std::string_view name, SeriesRole role, Color color, bool labelsVisible);

    std::string_view Name() const { return name_; }
    SeriesRole Role() const { return role_; }
    const std::vector<ChartPoint>& Points() const { return points_; }
    Color GetColor() const { return color_; }
    bool LabelsVisible() const { return labelsVisible_; }

    void Clear();
    void AddXY(double x, double y);
    void SetColor(Color c);
    void SetLabelsVisible(bool on);

    // Called after every change, so a view can redraw.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  private:
    void Changed() {
        if (onChange_) onChange_();
    }

    std::string_view name_;
    SeriesRole role_;
    std::vector<ChartPoint> points_;
    Color color_;
    bool labelsVisible_;
    std::function<void()> onChange_;
};

// The fourteen series of the chart in their fixed order: Series1..Series7 for comparison
// set 1 (indexes 0..6), Series11..Series17 for set 2 (indexes 7..13).  Within a set: the
// shift curve, the gear lines of gears 2 to 6, the shift-speed series.
class ShiftChart {
  public:
    static constexpr std::size_t kSeriesCount = 14;
    static constexpr std::size_t kSeriesPerSet = 7;

    ShiftChart();

    Series& operator[](std::size_t i) { return series_[i]; }
    const Series& operator[](std::size_t i) const { return series_[i]; }
    std::size_t Count() const { return series_.size(); }

    // Index of the first series of comparison set 1 or 2.
    static constexpr std::size_t FirstOfSet(int set) { return set == 1 ? 0 : kSeriesPerSet; }

    // One callback for a change of any series.
    void SetOnChange(const std::function<void()>& onChange);

    auto begin() { return series_.begin(); }
    auto end() { return series_.end(); }
    auto begin() const { return series_.begin(); }
    auto end() const { return series_.end(); }

  private:
    std::array<Series, kSeriesCount> series_;
};

}  // namespace kelm
