#pragma once
// Little-endian encoding of the archive's fixed-size fields, with a bounds-checked reader:
// every read past the end throws FormatError instead of touching memory it does not own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "uha/src/error.h"

namespace uha {

class ByteWriter {
  public:
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void u64(uint64_t v) { put(v, 8); }
    void bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
    std::vector<uint8_t>& data() { return out_; }

  private:
    void put(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::vector<uint8_t> out_;
};

class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size, std::string what)
        : p_(data), left_(size), what_(std::move(what)) {}

    uint8_t u8() { return static_cast<uint8_t>(get(1)); }
    uint16_t u16() { return static_cast<uint16_t>(get(2)); }
    uint32_t u32() { return static_cast<uint32_t>(get(4)); }
    uint64_t u64() { return get(8); }
    std::string bytes(size_t n) {
        need(n);
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        return s;
    }
    size_t left() const { return left_; }

  private:
    void need(size_t n) const {
        if (n > left_) throw FormatError(what_ + " ends too early");
    }
    uint64_t get(int n) {
        need(static_cast<size_t>(n));
        uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(p_[i]) << (8 * i);
        p_ += n;
        left_ -= static_cast<size_t>(n);
        return v;
    }
    const uint8_t* p_;
    size_t left_;
    std::string what_;
};

}  // namespace uha
