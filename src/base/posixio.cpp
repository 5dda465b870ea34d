#include "base/posixio.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <vector>

namespace kelm::posixio {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::size_t kRandomLetters = 6;
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

bool IsLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// Six letters or digits, from the kernel's random numbers; where those are not to be had,
// from the clock, the process and a counter, which still differ from call to call.
std::string RandomLetters() {
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != sizeof seed) {
        static std::uint64_t counter = 0;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        seed = static_cast<std::uint64_t>(now.tv_nsec) ^
               (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
               (static_cast<std::uint64_t>(::getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15u);
    }
    std::string letters;
    for (std::size_t i = 0; i < kRandomLetters; ++i) {
        letters += kLetters[seed % (sizeof kLetters - 1)];
        seed /= sizeof kLetters - 1;
    }
    return letters;
}

// What of a file's name its temporary files carry: the whole name, or, where the whole
// would make the temporary file's name longer than a name may be (a file named up to the
// limit), as much of it as fits, cut where a UTF-8 character begins.
std::string_view TemporaryStem(std::string_view name) {
    // The two dots, the letters and ".tmp" around the name.
    constexpr std::size_t kAround = 2 + kRandomLetters + kTemporaryEnd.size();
    if (name.size() + kAround <= NAME_MAX) return name;
    std::size_t keep = NAME_MAX - kAround;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return name.substr(0, keep);
}

}  // namespace

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

PathParts SplitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

int ReadEach(int fd, const std::function<int(const char*, std::size_t)>& take) {
    std::vector<char> buffer(kChunk);
    for (;;) {
        const ssize_t n = ReadSome(fd, buffer.data(), buffer.size());
        if (n < 0) return ErrnoOr(EIO);
        if (n == 0) return 0;
        if (const int stop = take(buffer.data(), static_cast<std::size_t>(n)); stop != 0) {
            return stop;
        }
    }
}

int OpenRegular(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ErrnoOr(EIO);
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = ErrnoOr(EIO);
    } else if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (error != 0) {
        ::close(fd);
        fd = -1;
    }
    return error;
}

int ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = -1;
    int error = OpenRegular(path, fd);
    if (error != 0) return error;
    error = ReadEach(fd, [&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
        return 0;
    });
    ::close(fd);
    if (error != 0) bytes.clear();
    return error;
}

int WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrnoOr(EIO);
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int CreateTemporary(const std::string& file, std::string& name,
                    const std::function<int(const std::string&)>& create) {
    const PathParts parts = SplitPath(file);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temporary(1, '.');
        temporary.append(TemporaryStem(parts.name)).append(1, '.').append(RandomLetters());
        name = JoinPath(parts.folder, temporary.append(kTemporaryEnd));
        const int result = create(name);
        if (result != EEXIST) {
            if (result != 0) name.clear();
            return result;
        }
    }
    name.clear();
    return EEXIST;
}

int OpenTemporary(const std::string& file, mode_t mode, std::string& name, int& fd) {
    fd = -1;
    return CreateTemporary(file, name, [&fd, mode](const std::string& candidate) {
        fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        return fd >= 0 ? 0 : ErrnoOr(EIO);
    });
}

bool IsTemporaryOf(std::string_view entry, std::string_view name) {
    // "." name "." six letters ".tmp"
    name = TemporaryStem(name);
    if (entry.size() != 1 + name.size() + 1 + kRandomLetters + kTemporaryEnd.size()) return false;
    if (entry.front() != '.' || entry.substr(1, name.size()) != name) return false;
    entry.remove_prefix(1 + name.size());
    if (entry.front() != '.' || !entry.ends_with(kTemporaryEnd)) return false;
    for (char c : entry.substr(1, kRandomLetters)) {
        if (!IsLetterOrDigit(c)) return false;
    }
    return true;
}

void RemoveStaleTemporaries(const std::string& file, std::chrono::seconds age) {
    const PathParts parts = SplitPath(file);
    DIR* folder = ::opendir(parts.folder.c_str());
    if (!folder) return;
    const std::time_t before = std::time(nullptr) - static_cast<std::time_t>(age.count());
    while (const dirent* entry = ::readdir(folder)) {
        if (!IsTemporaryOf(entry->d_name, parts.name)) continue;
        struct stat st {};
        // Only a file, never what a link leads to: the name says nothing of that.
        if (::fstatat(::dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(st.st_mode) && st.st_mtime < before) {
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
        }
    }
    ::closedir(folder);
}

int CopyToTemporary(const std::string& source, const std::string& file, mode_t mode,
                    std::string& temp, const std::function<int(int, int)>& finish) {
    temp.clear();
    int in = -1;
    int error = OpenRegular(source, in);
    if (error != 0) return error;
    int out = -1;
    error = OpenTemporary(file, mode, temp, out);
    if (error == 0) {
        error = ReadEach(in, [out](const char* data, std::size_t size) {
            return WriteAll(out, std::string_view(data, size));
        });
        if (error == 0 && finish) error = finish(in, out);
        if (error == 0 && ::fsync(out) != 0) error = ErrnoOr(EIO);
        // Whatever close() reports, the descriptor is gone; an error may mean lost data.
        if (::close(out) != 0 && error == 0) error = ErrnoOr(EIO);
        if (error != 0) {
            ::unlink(temp.c_str());
            temp.clear();
        }
    }
    ::close(in);
    return error;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace kelm::posixio
