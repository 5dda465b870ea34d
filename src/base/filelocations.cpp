#include "base/filelocations.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/paths.h"
#include "base/posixio.h"

namespace kelm {

namespace {

using posixio::IsFolder;
using posixio::IsRegularFile;
using posixio::JoinPath;
using posixio::PathParts;
using posixio::SplitPath;

constexpr const char* kCatalogExt = ".dat";
constexpr const char* kSettingsExt = ".ini";
constexpr const char* kDynamicsExt = "-dynamics.json";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

// <prefix>/share/kelm for a program in <prefix>/<any>/<any>/.
std::string ShareFolder(const std::string& programPath) {
    const std::string programFolder = SplitPath(programPath).folder;  // <prefix>/lib/kelm
    const std::string prefix = SplitPath(SplitPath(programFolder).folder).folder;
    return JoinPath(prefix, "share/kelm");
}

// An XDG base folder: the variable when it holds an absolute path, else the default under
// the home folder; empty when neither is usable.
std::string BaseFolder(const std::string& variable, const std::string& home,
                       const char* underHome) {
    if (IsAbsolute(variable)) return variable;
    if (IsAbsolute(home)) return JoinPath(home, underHome);
    return {};
}

// Makes a file beside `file` the way a save makes its new copy, then removes it again.
bool CanSaveBeside(const std::string& file) {
    std::string probe;
    int fd = -1;
    if (posixio::OpenTemporary(file, 0666, probe, fd) != 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

// mkdir -p.  Folders that are made are private to the user, as the XDG base folders must
// be when they are missing.
void MakeFolders(const std::string& folder) {
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (part.empty() || ::mkdir(part.c_str(), 0700) == 0 || errno == EEXIST) continue;
        if (!IsFolder(part)) return;
    }
}

// Puts the sample in place of a file the user does not have.  The finished copy is linked
// under the file's name, which fails when a file of that name has appeared in the meantime
// (another start of the program): nothing is ever copied over a user's file.
void CopySampleIfMissing(const std::string& sample, const std::string& file) {
    struct stat st {};
    if (sample.empty() || ::lstat(file.c_str(), &st) == 0 || errno != ENOENT) return;
    std::string temp;
    if (posixio::CopyToTemporary(sample, file, 0666, temp) != 0) return;
    if (::link(temp.c_str(), file.c_str()) != 0 && errno != EEXIST) {
        // A file system without hard links renames, still never over an existing file.
        ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE);
    }
    ::unlink(temp.c_str());
}

}  // namespace

FileLocationInputs ProcessFileLocationInputs(const std::string& programPath, bool packaged) {
    FileLocationInputs inputs;
    inputs.programPath = programPath;
    inputs.home = Environment("HOME");
    if (inputs.home.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
            inputs.home = user->pw_dir;
        }
    }
    inputs.xdgDataHome = Environment("XDG_DATA_HOME");
    inputs.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    inputs.packaged = packaged;
    return inputs;
}

std::string InstalledSamplePath(const std::string& programPath, const char* ending) {
    return JoinPath(ShareFolder(programPath), SplitPath(ChangeFileExt(programPath, ending)).name);
}

bool IsInstalled(const FileLocationInputs& inputs) {
    if (inputs.packaged) return true;
    const std::string programFolder = SplitPath(inputs.programPath).folder;
    const PathParts lib = SplitPath(programFolder);
    return lib.name == "kelm" && SplitPath(lib.folder).name == "lib" &&
           IsFolder(ShareFolder(inputs.programPath));
}

FileLocations PrepareFileLocations(const FileLocationInputs& inputs) {
    FileLocations beside;
    beside.catalog = ChangeFileExt(inputs.programPath, kCatalogExt);
    beside.settings = ChangeFileExt(inputs.programPath, kSettingsExt);
    beside.dynamics = ChangeFileExt(inputs.programPath, kDynamicsExt);
    const bool installed = IsInstalled(inputs);
    if (!installed && CanSaveBeside(beside.settings)) return beside;

    const std::string data = BaseFolder(inputs.xdgDataHome, inputs.home, ".local/share");
    const std::string config = BaseFolder(inputs.xdgConfigHome, inputs.home, ".config");
    if (data.empty() || config.empty()) return beside;

    FileLocations own;
    own.besideProgram = false;
    const std::string dataFolder = JoinPath(data, "kelm");
    const std::string configFolder = JoinPath(config, "kelm");
    own.catalog = JoinPath(dataFolder, SplitPath(beside.catalog).name);
    own.settings = JoinPath(configFolder, SplitPath(beside.settings).name);
    own.dynamics = JoinPath(dataFolder, SplitPath(beside.dynamics).name);
    MakeFolders(dataFolder);
    MakeFolders(configFolder);
    // Each file the user has not got yet starts from its sample: for an installed program
    // the one in share/kelm/, never what lies beside the program (root may have left its
    // own files there).  A copy on a read-only medium starts from the files it carries:
    // they are what its user has been working with.
    const auto seed = [&](const std::string& besideFile, const char* ending) {
        if (installed) return InstalledSamplePath(inputs.programPath, ending);
        return IsRegularFile(besideFile) ? besideFile : std::string();
    };
    CopySampleIfMissing(seed(beside.catalog, kCatalogExt), own.catalog);
    CopySampleIfMissing(seed(beside.dynamics, kDynamicsExt), own.dynamics);
    return own;
}

}  // namespace kelm
