#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelm {

// A 64-bit hash of a stream of bytes, fed in pieces of any size: the same bytes give the
// same value however they are split.  It tells versions of a file apart, not a defence
// against someone who forges collisions; eight bytes are taken per step, so hashing a large
// file costs little next to reading it.
class ContentHash {
  public:
    void Add(const char* data, std::size_t size);
    void Add(std::string_view bytes) { Add(bytes.data(), bytes.size()); }
    std::uint64_t Value() const;
    std::uint64_t Size() const { return size_; }

  private:
    void Mix(std::uint64_t word);

    std::uint64_t state_ = 0x27D4EB2F165667C5u;
    std::uint64_t size_ = 0;
    unsigned char tail_[8] = {};
    std::size_t tailSize_ = 0;
};

// One version of a file's content: whether the file was there, and if so its size and the
// hash of its bytes.
struct FileVersion {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t hash = 0;

    bool operator==(const FileVersion&) const = default;

    static FileVersion Missing() { return {}; }
    static FileVersion Of(const ContentHash& hash) { return {true, hash.Size(), hash.Value()}; }
    static FileVersion Of(std::string_view bytes);
};

// The version of the file at the path (a symbolic link is followed): Missing when there is
// no file, nothing when something is there that cannot be read as a file.
std::optional<FileVersion> ReadFileVersion(const std::string& path);

}  // namespace kelm
