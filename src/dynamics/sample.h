#pragma once

#include <string_view>

namespace kelm {

// The text of the sample dynamics file (data/Kelm-dynamics.json), built into the program so
// that it can stand in for a missing file wherever the program runs.
std::string_view SampleDynamicsText();

}  // namespace kelm
