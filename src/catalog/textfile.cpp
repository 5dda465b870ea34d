#include "catalog/textfile.h"

#include <unistd.h>

#include <cerrno>

#include "base/posixio.h"

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
    // Only a regular file: Linux opens a directory for reading, and reading it would fail
    // only later, looking like a short file instead of a file that is not there.
    if (const int error = posixio::OpenRegular(path, fd_); error != 0) {
        SetIOError(error);
        return;
    }
    buffer_.resize(kBufferSize);
}

bool TextReader::Fill() {
    pos_ = len_ = 0;
    const ssize_t n = posixio::ReadSome(fd_, buffer_.data(), buffer_.size());
    if (n > 0) {
        len_ = static_cast<std::size_t>(n);
        hash_.Add(buffer_.data(), len_);
        return true;
    }
    if (n < 0) {
        SetIOError(errno);
        failed_ = true;
    }
    ended_ = true;
    return false;
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
    // The rest is read without being parsed: the lines are done with.  A
    // failure here only leaves the version unknown; the load itself has what it read.
    pos_ = len_ = 0;
    ended_ = true;
    const int error = posixio::ReadEach(fd_, [this](const char* data, std::size_t size) {
        hash_.Add(data, size);
        return 0;
    });
    if (error != 0) return std::nullopt;
    return FileVersion::Of(hash_);
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
