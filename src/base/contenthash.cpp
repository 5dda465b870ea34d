#include "base/contenthash.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/posixio.h"

namespace kelm {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87u;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Fu;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9u;

constexpr std::uint64_t RotateLeft(std::uint64_t x, int bits) {
    return (x << bits) | (x >> (64 - bits));
}

std::uint64_t LoadWord(const unsigned char* p) {
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) word = (word << 8) | p[i];  // the same on every byte order
    return word;
}

}  // namespace

void ContentHash::Mix(std::uint64_t word) {
    state_ ^= RotateLeft(word * kPrime2, 31) * kPrime1;
    state_ = RotateLeft(state_, 27) * kPrime1 + kPrime3;
}

void ContentHash::Add(const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    size_ += size;
    if (tailSize_ != 0) {
        while (size != 0 && tailSize_ < 8) {
            tail_[tailSize_++] = *p++;
            --size;
        }
        if (tailSize_ < 8) return;
        Mix(LoadWord(tail_));
        tailSize_ = 0;
    }
    for (; size >= 8; p += 8, size -= 8) Mix(LoadWord(p));
    std::memcpy(tail_, p, size);
    tailSize_ = size;
}

std::uint64_t ContentHash::Value() const {
    // The last bytes and the length, then every bit spread over the whole value.
    std::uint64_t h = state_;
    std::uint64_t last = 0;
    for (std::size_t i = tailSize_; i > 0; --i) last = (last << 8) | tail_[i - 1];
    h ^= RotateLeft(last * kPrime2, 31) * kPrime1;
    h = RotateLeft(h, 27) * kPrime1 + size_;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

FileVersion FileVersion::Of(std::string_view bytes) {
    ContentHash hash;
    hash.Add(bytes);
    return Of(hash);
}

std::optional<FileVersion> ReadFileVersion(const std::string& path) {
    int fd = -1;
    if (const int error = posixio::OpenRegular(path, fd); error != 0) {
        if (error == ENOENT) return FileVersion::Missing();
        return std::nullopt;
    }
    ContentHash hash;
    const int error = posixio::ReadEach(fd, [&hash](const char* data, std::size_t size) {
        hash.Add(data, size);
        return 0;
    });
    ::close(fd);
    if (error != 0) return std::nullopt;
    return FileVersion::Of(hash);
}

}  // namespace kelm
