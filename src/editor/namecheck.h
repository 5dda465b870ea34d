#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelm {

// Why a gear row or tyre name typed in the editor cannot be kept in the catalog file, as a
// message for the user (UTF-8, Russian); nothing when the name is fine.  The file keeps
// one field per line without quoting, so a name must not be one of its marker lines
// ("_", "Riads", "Paras", "Koless"), must not break or end a line, must not hold other
// control characters (a Ctrl+Z at a line's start ends the file), and must be
// representable in Windows-1251.  An empty name is allowed.
std::optional<std::string> CatalogNameProblem(std::string_view utf8Name);

}  // namespace kelm
