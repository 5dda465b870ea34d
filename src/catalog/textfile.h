#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/contenthash.h"

namespace kelm {

// Text files never throw.  Every operation that fails leaves an error code (an errno
// value) pending and later operations still run; the first code stays pending until
// TakeIOError takes it.  CheckIO (catalogfile.h) is the one place that reports it.
int TakeIOError();
// Leaves a code pending unless one already is.
void SetIOError(int code);

namespace detail {
inline int pendingIOError = 0;
}
// Looks without taking; cheap enough to ask after every line of a large file.
inline bool IOErrorPending() { return detail::pendingIOError != 0; }

// Reads 8-bit text line by line through a large buffer.  A line ends at LF or CR LF; a
// CR anywhere else is dropped from the line; the last line needs no line end; a 0x1A
// byte at the start of a line ends the file.
class TextReader {
  public:
    TextReader() = default;
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;
    ~TextReader();  // closes a file still open, without reporting anything

    // A directory counts as a failure to open, so that it is reported at once.
    void Open(const std::string& path);
    // True at the end of the file, and after any failure (which is left pending).
    bool Eof() {
        // Inside the buffer and not at an end mark: the common case, asked once a line.
        if (pos_ < len_ && buffer_[pos_] != kEndOfFileMark) return false;
        return EofAtBufferEnd();
    }
    // The next line without its line end; empty at the end of the file.
    void ReadLine(std::string& line);
    void Close();

    bool IsOpen() const { return fd_ >= 0; }

    // The version of the whole file, for telling later whether it has changed since: first
    // reads the bytes the lines have not reached (after an end-of-file mark, or when the
    // caller stopped early), so call it last, before Close.  Nothing after a read failure.
    std::optional<FileVersion> WholeFileVersion();

    static constexpr char kEndOfFileMark = '\x1A';

  private:
    bool EofAtBufferEnd();
    bool Fill();  // false at the end of the file or on a failure

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;  // end of file, a 0x1A line or a failure
    bool failed_ = false;
    ContentHash hash_;  // of every byte read so far
};

}  // namespace kelm
