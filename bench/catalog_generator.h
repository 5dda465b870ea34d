#pragma once

#include <cstddef>
#include <string>

namespace kelm::bench {

struct CatalogSize {
    std::size_t rows = 100000;
    std::size_t pairs = 10000;
    std::size_t tyres = 100000;
};

// Writes a catalog file of the given size with realistic Cyrillic names (Windows-1251,
// spaces included) and ratios, in the user's number format, CR LF line ends.  The same
// seed gives the same file.
void WriteLargeCatalog(const std::string& path, const CatalogSize& size, unsigned seed = 1);

}  // namespace kelm::bench
