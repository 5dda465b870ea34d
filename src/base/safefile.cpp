#include "base/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

namespace kelm {

namespace fs = std::filesystem;

namespace {

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

// The file a replacement really writes: a symbolic link is followed to its end, so that the
// link stays and the file it names gets the new content.  A link that leads nowhere yet
// names the file to create; a loop of links is an error.
int ResolveTarget(const std::string& path, std::string& target) {
    fs::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(current, ec)) {
            target = current.string();
            return 0;
        }
        const fs::path next = fs::read_symlink(current, ec);
        if (ec) return ec.value() != 0 ? ec.value() : EIO;
        // A relative link leads from the folder it lies in.
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return ELOOP;
}

// Whether the file at the path may be replaced: missing, or a regular file that we may
// write and that has a write bit in its mode.
int CheckReplaceable(const std::string& file, struct stat& old, bool& exists) {
    exists = false;
    if (::stat(file.c_str(), &old) != 0) return errno == ENOENT ? 0 : ErrnoOr(EIO);
    exists = true;
    if (S_ISDIR(old.st_mode)) return EISDIR;
    if (!S_ISREG(old.st_mode)) return EINVAL;
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
    if (::access(file.c_str(), W_OK) != 0) return ErrnoOr(EACCES);
    return 0;
}

// Creates a file of a fresh name "<base>.tmp<letters>" beside the base through `create`,
// which returns 0, EEXIST when the name is taken, or another errno value.  Two programs
// saving the same file at once never share a temporary file.
int CreateUnique(const std::string& base, std::string& name,
                 const std::function<int(const std::string&)>& create) {
    static std::uint64_t counter = 0;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t seed = static_cast<std::uint64_t>(
                                 std::chrono::steady_clock::now().time_since_epoch().count()) ^
                             (static_cast<std::uint64_t>(::getpid()) << 32) ^
                             (++counter * 0x9E3779B97F4A7C15u);
        std::string suffix;
        for (int i = 0; i < 6; ++i) {
            suffix += kLetters[seed % 36];
            seed /= 36;
        }
        name = base + ".tmp" + suffix;
        const int result = create(name);
        if (result != EEXIST) return result;
    }
    return EEXIST;
}

int WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? ErrnoOr(EIO) : EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Makes a rename in the folder last.  Some file systems cannot sync a folder; the file is
// in place by then, so a failure here is no failure of the replacement.
void SyncFolderOf(const std::string& file) {
    fs::path folder = fs::path(file).parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

FileReplacement::FileReplacement(const std::string& path, std::string_view content) {
    error_ = ResolveTarget(path, target_);
    if (error_ == 0) Prepare(content);
}

void FileReplacement::Prepare(std::string_view content) {
    struct stat old {};
    bool exists = false;
    error_ = CheckReplaceable(target_, old, exists);
    if (error_ != 0) return;

    int fd = -1;
    error_ = CreateUnique(target_, temp_, [&fd](const std::string& name) {
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd >= 0 ? 0 : ErrnoOr(EIO);
    });
    if (error_ != 0) {
        temp_.clear();  // nothing was created
        return;
    }
    if (exists) {
        // The owner first: changing it may clear set-id bits, which the mode then restores.
        // Only root may give a file away, so for anyone else this quietly stays as it is.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) error_ = ErrnoOr(EIO);
    }
    if (error_ == 0) error_ = WriteAll(fd, content);
    if (error_ == 0 && ::fsync(fd) != 0) error_ = ErrnoOr(EIO);
    // Whatever close() reports, the descriptor is gone; an error may mean lost data.
    if (::close(fd) != 0 && error_ == 0) error_ = ErrnoOr(EIO);
}

FileReplacement::~FileReplacement() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

int FileReplacement::Commit() {
    if (error_ != 0) return error_;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        error_ = ErrnoOr(EIO);
        return error_;  // the destructor removes the temporary file
    }
    temp_.clear();
    SyncFolderOf(target_);
    return 0;
}

int ReplaceFile(const std::string& path, std::string_view content) {
    FileReplacement replacement(path, content);
    return replacement.Commit();
}

int KeepCopy(const std::string& file, const std::string& copy) {
    std::string partial;
    int error = CreateUnique(copy, partial, [&file](const std::string& name) {
        if (::link(file.c_str(), name.c_str()) == 0) return 0;
        if (errno == EEXIST || errno == ENOENT) return errno;
        // No hard links here (or none across this boundary): copy the bytes.
        const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) return ErrnoOr(EIO);
        const int out = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out < 0) {
            const int code = ErrnoOr(EIO);
            ::close(in);
            return code;
        }
        int result = 0;
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) result = ErrnoOr(EIO);
            if (n <= 0) break;
            result = WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n)));
            if (result != 0) break;
        }
        if (result == 0 && ::fsync(out) != 0) result = ErrnoOr(EIO);
        if (::close(out) != 0 && result == 0) result = ErrnoOr(EIO);
        ::close(in);
        if (result != 0) ::unlink(name.c_str());
        return result;
    });
    if (error != 0) return error;
    if (::rename(partial.c_str(), copy.c_str()) != 0) {
        error = ErrnoOr(EIO);
        ::unlink(partial.c_str());
        return error;
    }
    SyncFolderOf(copy);
    return 0;
}

}  // namespace kelm
