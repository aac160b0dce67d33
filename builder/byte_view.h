#pragma once
// Little-endian access to untrusted bytes. Reads are bounds-checked and name what they read, so
// that a cut-off structure gives a message saying which one; writes are for buffers the caller
// has sized itself.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "builder/pe_error.h"

namespace setup::pe {

// "0x1a2b": offsets, addresses and sizes in messages, as a PE dump shows them.
std::string hex(uint64_t value);

class ByteView {
  public:
    // `where` names the bytes in messages: "the file", "section .rsrc".
    ByteView(std::span<const uint8_t> bytes, std::string where)
        : bytes_(bytes), where_(std::move(where)) {}

    size_t size() const { return bytes_.size(); }
    const std::string& where() const { return where_; }
    bool contains(uint64_t offset, uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    // Throws PeError "<what> at offset X (N bytes) lies past the end of <where> (M bytes)".
    std::span<const uint8_t> slice(uint64_t offset, uint64_t length, std::string_view what) const;
    uint16_t u16(uint64_t offset, std::string_view what) const;
    uint32_t u32(uint64_t offset, std::string_view what) const;

  private:
    std::span<const uint8_t> bytes_;
    std::string where_;
};

inline uint16_t load16(std::span<const uint8_t> b, size_t offset) {
    return static_cast<uint16_t>(b[offset] | b[offset + 1] << 8);
}
inline uint32_t load32(std::span<const uint8_t> b, size_t offset) {
    return static_cast<uint32_t>(b[offset]) | static_cast<uint32_t>(b[offset + 1]) << 8 |
           static_cast<uint32_t>(b[offset + 2]) << 16 | static_cast<uint32_t>(b[offset + 3]) << 24;
}
inline void store16(std::span<uint8_t> b, size_t offset, uint16_t value) {
    b[offset] = static_cast<uint8_t>(value);
    b[offset + 1] = static_cast<uint8_t>(value >> 8);
}
inline void store32(std::span<uint8_t> b, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace setup::pe
