#pragma once

#include <string>

namespace kelm {

// The path with its extension replaced by newExt (which includes its dot).  The extension
// is the text from the last "." that comes after the last folder separator ("/", "\" or
// ":"); where there is none, newExt is appended.
std::string ChangeFileExt(const std::string& path, const std::string& newExt);

// The program's title, from the path of its file: the file name without its folder, cut
// at its first ".", with every letter after the first in lower case ("KELM.exe" gives
// "Kelm", "kelm" stays "kelm").
std::string ProgramTitle(const std::string& programPath);

}  // namespace kelm
