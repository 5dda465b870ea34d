#pragma once

#include <string>
#include <utility>

#include "base/numtext.h"

namespace kelm::testing {

// The user's number format as a Russian desktop has it, a decimal comma and digit groups
// parted by a blank, for as long as the object lives; the format before it comes back after.
class ScopedNumberFormat {
  public:
    ScopedNumberFormat() : saved_(GlobalNumberFormat()) {
        GlobalNumberFormat().decimalSeparator = ',';
        GlobalNumberFormat().thousandSeparator = " ";
    }
    ~ScopedNumberFormat() { GlobalNumberFormat() = std::move(saved_); }
    ScopedNumberFormat(const ScopedNumberFormat&) = delete;
    ScopedNumberFormat& operator=(const ScopedNumberFormat&) = delete;

  private:
    NumberFormat saved_;
};

}  // namespace kelm::testing
