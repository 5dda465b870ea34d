#include "base/paths.h"

namespace kelm {

namespace {
constexpr const char* kFolderSeparators = "/\\:";
}

std::string ChangeFileExt(const std::string& path, const std::string& newExt) {
    const std::size_t folderEnd = path.find_last_of(kFolderSeparators);
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (folderEnd == std::string::npos || dot > folderEnd)) {
        return path.substr(0, dot) + newExt;
    }
    return path + newExt;
}

std::string ProgramTitle(const std::string& programPath) {
    const std::size_t folderEnd = programPath.find_last_of(kFolderSeparators);
    std::string name =
        folderEnd == std::string::npos ? programPath : programPath.substr(folderEnd + 1);
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    }
    return name;
}

}  // namespace kelm
