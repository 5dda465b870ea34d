#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelm {

// Why a gear row or tyre name typed in the editor cannot be kept in the catalog file, as a
// message for the user (UTF-8, Russian); nothing when the name is fine.  The file keeps
// one field per line without quoting, so refused are exactly the names it would not give
// back: a marker line ("_", "Riads", "Paras", "Koless"), a CR or LF (a line break), a
// Ctrl+Z (0x1A) as the first character (it would end the file there; further on it is kept),
// and a character Windows-1251 has no byte for.  A tab or any other control character is
// kept, and so is an empty name.
std::optional<std::string> CatalogNameProblem(std::string_view utf8Name);

}  // namespace kelm
