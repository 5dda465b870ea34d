// The settings reader on arbitrary bytes: it never crashes or hangs; the state it reads,
// written back into the same file, reads back the same; and a second write of that state
// gives the same bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mainwindow/inifile.h"
#include "mainwindow/windowsettings.h"

namespace {

std::string Dir() {
    static const std::string dir = [] {
        char tmpl[] = "/dev/shm/kelm-fuzz-XXXXXX";
        const char* d = mkdtemp(tmpl);
        if (!d) std::abort();
        return std::string(d);
    }();
    return dir;
}

std::string ReadAll(const std::string& path) {
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const kelm::IniFile parsed = kelm::IniFile::Parse(bytes);
    if (kelm::IniFile::Parse(parsed.Text()).Text() != parsed.Text()) std::abort();

    const std::string path = Dir() + "/Kelm.ini";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const kelm::WindowSettings state = kelm::ReadWindowSettings(path);
    kelm::WriteWindowSettings(path, state);
    const std::string first = ReadAll(path);
    if (!(kelm::ReadWindowSettings(path) == state)) std::abort();
    kelm::WriteWindowSettings(path, state);
    if (ReadAll(path) != first) std::abort();
    return 0;
}
