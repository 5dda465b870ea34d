#pragma once

#include "chart/chartlayout.h"

namespace kelm::testing {

// Every character 6 pixels wide (UTF-8 continuation bytes take no room), lines 10 high.
class FixedMeasure : public TextMeasure {
  public:
    double Width(std::string_view utf8) const override {
        double chars = 0;
        for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
        return 6 * chars;
    }
    double LineHeight() const override { return 10; }
};

}  // namespace kelm::testing
