#pragma once

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelm::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelm-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // The names of the files in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines joined with CR LF after each, as the program writes them.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// Runs the body in a forked child after `prepare` (which returns false when it could not
// set the child up) and returns the body's result (0 to 255): 250 when the set-up failed,
// 252 when the body threw, -1 when the child did not exit.
inline int RunInChild(const std::function<bool()>& prepare, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!prepare()) ::_exit(250);
        int result = 251;
        try {
            result = body();
        } catch (...) {
            result = 252;
        }
        ::_exit(result);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Runs the body in a forked child whose files may grow to at most maxFileSize bytes, as
// on a full disk; this fails even for root, where read-only permissions do not.  SIGXFSZ
// is ignored so that a write over the limit fails with EFBIG instead of killing the
// child.
inline int RunWithFileSizeLimit(rlim_t maxFileSize, const std::function<int()>& body) {
    return RunInChild(
        [maxFileSize] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{maxFileSize, maxFileSize};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        body);
}

// Runs the body in a forked child as another user, with the group and supplementary groups
// given; only root may do that.
inline int RunAsUser(uid_t user, gid_t group, const std::vector<gid_t>& groups,
                     const std::function<int()>& body) {
    return RunInChild(
        [&] {
            return ::setgroups(groups.size(), groups.data()) == 0 && ::setgid(group) == 0 &&
                   ::setuid(user) == 0;
        },
        body);
}

}  // namespace kelm::testing
