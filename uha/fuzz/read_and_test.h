#pragma once
// What every archive fuzz target does with an input: reads it as an archive and, when that
// succeeds, decodes and checks everything as "uha t" does, writing nothing. Either ends in a
// clean uha::Error; a crash, a hang, a leak or unbounded memory is a finding.
#include <cstddef>
#include <cstdint>

#include "uha/src/fs.h"

namespace uha_fuzz {

// Bytes in memory as an archive's source; reading past their end is an uha::Error.
class MemorySource : public uha::ByteSource {
  public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t size() const override { return size_; }
    void read_at(uint64_t offset, void* buffer, size_t n) override;

  private:
    const uint8_t* data_;
    size_t size_;
};

void read_and_test(const uint8_t* data, size_t size);

}  // namespace uha_fuzz
