// The settings reader on arbitrary bytes: it never crashes or hangs; the state it reads,
// written back into the same file, reads back the same; and a second write of that state
// gives the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "settings/inifile.h"
#include "settings/windowsettings.h"

using kelm::fuzz::Dir;
using kelm::fuzz::ReadAll;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const kelm::IniFile parsed = kelm::IniFile::Parse(bytes);
    if (kelm::IniFile::Parse(parsed.Text()).Text() != parsed.Text()) std::abort();

    const std::string path = Dir() + "/Kelm.ini";
    kelm::fuzz::WriteAll(path, data, size);
    const kelm::WindowSettings state = kelm::ReadWindowSettings(path);
    kelm::WriteWindowSettings(path, state);
    const std::string first = ReadAll(path);
    if (!(kelm::ReadWindowSettings(path) == state)) std::abort();
    kelm::WriteWindowSettings(path, state);
    if (ReadAll(path) != first) std::abort();
    return 0;
}
