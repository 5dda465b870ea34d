#include "base/filelocations.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/paths.h"

namespace kelm {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string FolderOf(const std::string& path) {
    const std::size_t end = path.find_last_of('/');
    if (end == std::string::npos) return ".";
    if (end == 0) return "/";
    return path.substr(0, end);
}

std::string NameOf(const std::string& path) {
    const std::size_t end = path.find_last_of('/');
    return end == std::string::npos ? path : path.substr(end + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// An XDG base folder: the variable when it holds an absolute path, else the default under
// the home folder; empty when neither is usable.
std::string BaseFolder(const std::string& variable, const std::string& home,
                       const char* underHome) {
    if (IsAbsolute(variable)) return variable;
    if (IsAbsolute(home)) return Join(home, underHome);
    return {};
}

// Makes a file beside `file` the way a save makes its new copy, then removes it again.
bool CanSaveBeside(const std::string& file) {
    std::string probe = file + ".XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
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
        struct stat st {};
        if (::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    }
}

bool WriteAll(int fd, const std::vector<char>& bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes.data() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the file whole into a new file beside `target`; returns its name, or empty.
std::string CopyBeside(const std::string& source, const std::string& target) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return {};
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return {};
    }
    std::string temp = target + ".XXXXXX";
    const int out = ::mkstemp(temp.data());
    if (out < 0) {
        ::close(in);
        return {};
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(out, 0666 & ~mask) == 0;
    std::vector<char> buffer(65536);
    while (ok) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        ok = WriteAll(out, buffer, static_cast<std::size_t>(n));
    }
    if (ok && ::fsync(out) != 0) ok = false;
    if (::close(out) != 0) ok = false;
    ::close(in);
    if (!ok) {
        ::unlink(temp.c_str());
        return {};
    }
    return temp;
}

// Puts the sample in place of a catalog the user does not have.  The finished copy is
// linked under the catalog's name, which fails when a file of that name has appeared in
// the meantime (another start of the program): nothing is ever copied over a catalog.
void CopySampleIfMissing(const std::string& sample, const std::string& catalog) {
    struct stat st {};
    if (sample.empty() || ::lstat(catalog.c_str(), &st) == 0 || errno != ENOENT) return;
    const std::string temp = CopyBeside(sample, catalog);
    if (temp.empty()) return;
    if (::link(temp.c_str(), catalog.c_str()) != 0 && errno != EEXIST) {
        // A file system without hard links renames, still never over an existing file.
        ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, catalog.c_str(), RENAME_NOREPLACE);
    }
    ::unlink(temp.c_str());
}

}  // namespace

FileLocationInputs ProcessFileLocationInputs(const std::string& programPath) {
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
    inputs.samplePath = InstalledSamplePath(programPath);
    return inputs;
}

std::string InstalledSamplePath(const std::string& programPath) {
    const std::string programFolder = FolderOf(programPath);  // <prefix>/lib/kelm
    const std::string prefix = FolderOf(FolderOf(programFolder));
    return Join(Join(prefix, "share/kelm"), NameOf(ChangeFileExt(programPath, ".dat")));
}

FileLocations PrepareFileLocations(const FileLocationInputs& inputs) {
    FileLocations beside;
    beside.catalog = ChangeFileExt(inputs.programPath, ".dat");
    beside.settings = ChangeFileExt(inputs.programPath, ".ini");
    if (CanSaveBeside(beside.settings)) return beside;

    const std::string data = BaseFolder(inputs.xdgDataHome, inputs.home, ".local/share");
    const std::string config = BaseFolder(inputs.xdgConfigHome, inputs.home, ".config");
    if (data.empty() || config.empty()) return beside;

    FileLocations own;
    own.besideProgram = false;
    own.catalog = Join(Join(data, "kelm"), NameOf(beside.catalog));
    own.settings = Join(Join(config, "kelm"), NameOf(beside.settings));
    MakeFolders(FolderOf(own.catalog));
    MakeFolders(FolderOf(own.settings));
    // A copy on a read-only medium that carries a catalog of its own starts from that one:
    // it is what its user has been working with.  Otherwise the installed sample.
    struct stat st {};
    const bool ownCatalogBeside = ::stat(beside.catalog.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    CopySampleIfMissing(ownCatalogBeside ? beside.catalog : inputs.samplePath, own.catalog);
    return own;
}

}  // namespace kelm
