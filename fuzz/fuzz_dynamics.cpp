// The dynamics file reader on arbitrary bytes: it never crashes or hangs, and loads only
// records that obey their rules; what it loaded saves, loads back to equal data without a
// problem, and saves again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dynamics/dynamicsfile.h"
#include "dynamics/dynamicsjson.h"
#include "fuzz_support.h"

using kelm::fuzz::Dir;
using kelm::fuzz::ReadAll;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const kelm::DynamicsRead read = kelm::ReadDynamicsText(bytes);
    if (kelm::DataProblem(read.Data)) std::abort();

    const std::string input = Dir() + "/Kelm-dynamics.json";
    kelm::fuzz::WriteAll(input, data, size);
    const kelm::DynamicsData loaded = kelm::LoadDynamics(input);
    if (!(loaded == read.Data)) std::abort();

    const std::string saved = Dir() + "/saved.json";
    if (!kelm::SaveDynamics(loaded, saved)) std::abort();
    const std::string text = ReadAll(saved);
    const kelm::DynamicsRead again = kelm::ReadDynamicsText(text);
    if (!again.Problems.empty() || !(again.Data == loaded)) std::abort();
    if (kelm::DynamicsText(again.Data) != text) std::abort();
    return 0;
}
