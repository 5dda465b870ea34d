#pragma once

// Shared by the fuzz targets that go through real files.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelm::fuzz {

// One folder per run, on tmpfs where there is one: the writers sync every file.
inline const std::string& Dir() {
    static const std::string dir = [] {
        char tmpl[] = "/dev/shm/kelm-fuzz-XXXXXX";
        const char* d = mkdtemp(tmpl);
        if (!d) std::abort();
        return std::string(d);
    }();
    return dir;
}

inline void WriteAll(const std::string& path, const void* data, std::size_t size) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

inline std::string ReadAll(const std::string& path) {
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

}  // namespace kelm::fuzz
