#include "catalog/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kelm {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

int TakeIOError() {
    const int code = detail::pendingIOError;
    detail::pendingIOError = 0;
    return code;
}

void SetIOError(int code) {
    if (detail::pendingIOError == 0) detail::pendingIOError = code;
}

// ---------------------------------------------------------------------------------------
// Reading

TextReader::~TextReader() {
    if (fd_ >= 0) ::close(fd_);
}

void TextReader::Open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    pos_ = len_ = 0;
    ended_ = failed_ = false;
    hash_ = ContentHash();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        SetIOError(errno);
        return;
    }
    // Linux opens a directory for reading; reading it fails only later, and then the
    // failure would look like a short file instead of a file that is not there.
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        SetIOError(S_ISDIR(st.st_mode) ? EISDIR : errno);
        ::close(fd_);
        fd_ = -1;
        return;
    }
    buffer_.resize(kBufferSize);
}

bool TextReader::Fill() {
    pos_ = len_ = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
            len_ = static_cast<std::size_t>(n);
            hash_.Add(buffer_.data(), len_);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetIOError(errno);
            failed_ = true;
        }
        ended_ = true;
        return false;
    }
}

bool TextReader::EofAtBufferEnd() {
    if (fd_ < 0) {
        SetIOError(EBADF);
        return true;
    }
    if (ended_) return true;
    if (pos_ == len_ && !Fill()) return true;
    // Lines are always consumed whole, so the position is at the start of a line here.
    if (buffer_[pos_] == kEndOfFileMark) ended_ = true;
    return ended_;
}

void TextReader::ReadLine(std::string& line) {
    line.clear();
    if (Eof()) return;
    // One pass finds the line end and counts the CRs; catalog lines are short, so a plain
    // loop beats two library scans per line.
    std::size_t crs = 0;
    for (;;) {
        const char* start = buffer_.data() + pos_;
        const char* end = buffer_.data() + len_;
        const char* p = start;
        while (p != end && *p != '\n') {
            crs += *p == '\r';
            ++p;
        }
        line.append(start, p);
        if (p != end) {
            pos_ += static_cast<std::size_t>(p - start) + 1;
            break;
        }
        pos_ = len_;
        if (!Fill()) break;
    }
    // The CR of a CR LF and any lone CR are both dropped; the usual one, at the end, with
    // no second pass over the line.
    if (crs == 1 && line.back() == '\r') {
        line.pop_back();
    } else if (crs != 0) {
        std::erase(line, '\r');
    }
}

std::optional<FileVersion> TextReader::WholeFileVersion() {
    if (fd_ < 0 || failed_) return std::nullopt;
    // The rest goes through the buffer without being parsed: the lines are done with.  A
    // failure here only leaves the version unknown; the load itself has what it read.
    pos_ = len_ = 0;
    ended_ = true;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
            hash_.Add(buffer_.data(), static_cast<std::size_t>(n));
        } else if (n == 0) {
            return FileVersion::Of(hash_);
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

void TextReader::Close() {
    if (fd_ < 0) {
        SetIOError(EBADF);
        return;
    }
    if (::close(fd_) != 0) SetIOError(errno);
    fd_ = -1;
    pos_ = len_ = 0;
    buffer_.clear();
    buffer_.shrink_to_fit();
}

}  // namespace kelm
