#include "base/safefile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "base/posixio.h"

namespace kelm {

namespace {

using namespace std::chrono_literals;

// A temporary file nobody has written for this long belongs to no save that is still
// running: a save writes its file in one go.
constexpr auto kStaleTemporary = 1h;
constexpr int kMaxLinkHops = 40;
// How long a save waits for another one in the same folder, and how often it looks.
constexpr auto kLockWait = 10s;
constexpr auto kLockPoll = 10ms;

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

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

// The names of the extended attributes of the file; empty where it has none or the file
// system keeps none.
std::vector<char> AttributeNames(int fd) {
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size <= 0) return {};
        std::vector<char> names(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return names;
        }
        if (errno != ERANGE) return {};  // ERANGE: one was added meanwhile; ask again
    }
}

// An attribute that cannot be set for a reason that says nothing about the disk: one only
// root may set, a kind the file system does not keep, one that is not there any more.
bool AttributeMayBeLeft(int error) {
    return error == EPERM || error == EACCES || error == ENOTSUP || error == EOPNOTSUPP ||
           error == EINVAL || error == ENODATA || error == ERANGE;
}

// Copies the extended attributes of one open file to another: a user's own ones, and the
// POSIX ACL, through which a file is shared with more people than its group.  Only a real
// failure of the disk (no space for them, an I/O error) is reported.
int CopyAttributes(int from, int to) {
    const std::vector<char> names = AttributeNames(from);
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        at += std::string_view(name).size() + 1;
        ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0) continue;
        value.resize(static_cast<std::size_t>(size));
        size = ::fgetxattr(from, name, value.data(), value.size());
        if (size < 0) continue;
        if (::fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) != 0 &&
            !AttributeMayBeLeft(errno)) {
            return ErrnoOr(EIO);
        }
    }
    return 0;
}

// Gives the new file `to` what the old one `old` (open as `from`) has besides its bytes:
// owner and group as far as the system lets us, then the mode, then the attributes.
int TakeOverMetadata(const struct stat& old, int from, int to) {
    struct stat now {};
    if (::fstat(to, &now) != 0) return ErrnoOr(EIO);
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
        // Only root may give a file away.  Anyone may give their own file to a group they
        // are a member of, which keeps a group-shared file shared; otherwise the group
        // quietly stays as the folder gave it.
        if (::fchown(to, old.st_uid, old.st_gid) != 0 && now.st_gid != old.st_gid) {
            [[maybe_unused]] const int ignored = ::fchown(to, static_cast<uid_t>(-1), old.st_gid);
        }
    }
    // After the owner, since changing it may clear set-id bits, which the mode restores.
    if (::fchmod(to, old.st_mode & 07777) != 0) return ErrnoOr(EIO);
    return from >= 0 ? CopyAttributes(from, to) : 0;
}

}  // namespace

int ResolveLinks(const std::string& path, std::string& target) {
    std::string current = path;
    for (int hops = 0; hops < kMaxLinkHops; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = current;
            return 0;
        }
        std::string next(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), next.data(), next.size());
        if (n < 0) return ErrnoOr(EIO);
        if (static_cast<std::size_t>(n) >= next.size()) return ENAMETOOLONG;  // grew meanwhile
        next.resize(static_cast<std::size_t>(n));
        // A relative link leads from the folder it lies in.
        current = !next.empty() && next.front() == '/'
                      ? next
                      : posixio::JoinPath(posixio::SplitPath(current).folder, next);
    }
    return ELOOP;
}

FileReplacement::FileReplacement(const std::string& path, std::string_view content) {
    const int error = ResolveLinks(path, target_);
    if (error != 0) {
        Fail(Step::Target, error);
        return;
    }
    Prepare(content);
}

void FileReplacement::Fail(Step step, int error) {
    if (error_ != 0) return;
    error_ = error;
    step_ = step;
}

void FileReplacement::Prepare(std::string_view content) {
    struct stat old {};
    bool exists = false;
    if (const int error = CheckReplaceable(target_, old, exists); error != 0) {
        Fail(Step::Target, error);
        return;
    }
    posixio::RemoveStaleTemporaries(target_, kStaleTemporary);

    int fd = -1;
    if (const int error = posixio::OpenTemporary(target_, 0666, temp_, fd); error != 0) {
        Fail(Step::Folder, error);
        return;
    }
    if (exists) {
        // The old file's attributes need it open; one we may write but not read (rare) keeps
        // only its owner and mode.
        const int from = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
        if (const int error = TakeOverMetadata(old, from, fd); error != 0) {
            Fail(Step::Write, error);
        }
        if (from >= 0) ::close(from);
    }
    if (error_ == 0) {
        if (const int error = posixio::WriteAll(fd, content); error != 0) Fail(Step::Write, error);
    }
    if (error_ == 0 && ::fsync(fd) != 0) Fail(Step::Write, ErrnoOr(EIO));
    // Whatever close() reports, the descriptor is gone; an error may mean lost data.
    if (::close(fd) != 0) Fail(Step::Write, ErrnoOr(EIO));
}

FileReplacement::~FileReplacement() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    if (lock_ >= 0) ::close(lock_);  // which releases the lock
}

int FileReplacement::Lock() {
    if (error_ != 0 || locked_) return error_;
    locked_ = true;
    lock_ = ::open(posixio::SplitPath(target_).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock_ < 0) return 0;  // a folder we may not read: saved into without the lock
    const auto giveUp = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            // No locks on this file system: as without the lock.
            ::close(lock_);
            lock_ = -1;
            return 0;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            Fail(Step::Commit, EAGAIN);
            return error_;
        }
        std::this_thread::sleep_for(kLockPoll);
    }
    return 0;
}

int FileReplacement::Commit() {
    if (Lock() != 0) return error_;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        Fail(Step::Commit, ErrnoOr(EIO));
        return error_;  // the destructor removes the temporary file
    }
    temp_.clear();
    posixio::SyncFolder(posixio::SplitPath(target_).folder);
    return 0;
}

std::string FailureReason(const FileReplacement& replacement) {
    const std::string folder = posixio::SplitPath(replacement.Target()).folder;
    const auto quoted = [](const std::string& path) { return "«" + path + "»"; };
    switch (replacement.Error()) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return "на диске недостаточно места";
        case EACCES:
        case EPERM:
            if (replacement.FailedStep() == FileReplacement::Step::Target) {
                return "файл защищён от записи";
            }
            return "нет прав на запись в папку " + quoted(folder);
        case EROFS:
            return "папка " + quoted(folder) + " только для чтения";
        case ENOTDIR: {
            // The nearest part of the folder's path that is there is the one that is no
            // folder.
            std::string part = folder;
            struct stat st {};
            while (::stat(part.c_str(), &st) != 0 && part != posixio::SplitPath(part).folder) {
                part = posixio::SplitPath(part).folder;
            }
            return quoted(part) + " — не папка";
        }
        case ENOENT:
            return "папка " + quoted(folder) + " не найдена";
        case EISDIR:
            return "под этим именем уже есть папка";
        case EINVAL:
            return "под этим именем уже есть не обычный файл";
        case ELOOP:
            return "ссылки на файл ведут по кругу";
        case ENAMETOOLONG:
            return "слишком длинное имя файла";
        case EAGAIN:
            return "файл в это время сохраняет другая программа";
        default:
            return "ошибка записи на диск (код " + std::to_string(replacement.Error()) + ")";
    }
}

int ReplaceFile(const std::string& path, std::string_view content) {
    FileReplacement replacement(path, content);
    return replacement.Commit();
}

int KeepCopy(const std::string& file, const std::string& copy) {
    std::string partial;
    int error = posixio::CreateTemporary(file, partial, [&file](const std::string& name) {
        return ::link(file.c_str(), name.c_str()) == 0 ? 0 : ErrnoOr(EIO);
    });
    if (error == ENOENT || error == EEXIST) return error;
    if (error != 0) {
        // No hard links here, or none allowed to us (a file of another user where the system
        // protects hard links): the bytes are copied, into a file as private as the file.
        error = posixio::CopyToTemporary(file, file, 0600, partial, [](int from, int to) {
            struct stat old {};
            if (::fstat(from, &old) != 0) return ErrnoOr(EIO);
            return TakeOverMetadata(old, from, to);
        });
        if (error != 0) return error;
    }
    if (::rename(partial.c_str(), copy.c_str()) != 0) {
        error = ErrnoOr(EIO);
        ::unlink(partial.c_str());
        return error;
    }
    posixio::SyncFolder(posixio::SplitPath(copy).folder);
    return 0;
}

}  // namespace kelm
