#pragma once
// LZMA2 (optionally behind the x86 branch filter) through liblzma's raw coders: the archive
// keeps its own sizes and checksums, so blocks carry no .xz container.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <lzma.h>

#include "format.h"

namespace uha {

struct Level {
    int preset = 9;  // 0..9
    bool extreme = true;
};

// The preset's dictionary, but no larger than the data needs (a reader allocates it).
uint32_t dict_size_for(uint64_t data_size, Level level);

std::vector<uint8_t> compress(const uint8_t* data, size_t size, Filter filter, uint32_t dict_size,
                              Level level);

// Decodes exactly `size` bytes from exactly `packed_size` bytes; anything else is damage.
std::vector<uint8_t> decompress_all(const uint8_t* packed, size_t packed_size, size_t size,
                                    Filter filter, uint32_t dict_size, const std::string& what);

// Streaming decoder of one block. Owns the liblzma state.
class BlockDecoder {
  public:
    BlockDecoder(Filter filter, uint32_t dict_size, std::string what);
    ~BlockDecoder();
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    // Feeds input (may be empty once the input is exhausted) and fills out; returns the
    // bytes written to out. `ended` turns true at the stream's end marker.
    size_t decode(const uint8_t*& in, size_t& in_left, uint8_t* out, size_t out_size,
                  bool input_done, bool& ended);

  private:
    lzma_stream strm_ = LZMA_STREAM_INIT;
    std::string what_;
};

}  // namespace uha
