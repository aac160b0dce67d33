#pragma once
// LZMA2 (optionally behind the x86 branch filter) through liblzma's raw coders: the archive
// keeps its own sizes and checksums, so blocks carry no .xz container.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <lzma.h>

#include "uha/src/format.h"

namespace uha {

struct Level {
    int preset = 9;  // 0..9
    bool extreme = true;
};

// How one block is coded. The preset dictionary, when there is one, is history the block's
// matches may refer to without storing it: the start of the archive's data stream.
struct Coding {
    Filter filter = Filter::lzma2;
    uint32_t dict_size = kMinDictSize;
    uint32_t pb = 2;  // LZMA position bits; the decoder reads them from the stream
    const uint8_t* preset = nullptr;
    size_t preset_size = 0;
};

// The level's dictionary, but no larger than the data (and its preset) need, since a reader
// allocates all of it.
uint32_t dict_size_for(uint64_t data_size, Level level);

// `consumed`, when given, is told of each piece of input as it is coded (from the calling
// thread); the output is the same either way.
std::vector<uint8_t> compress(const uint8_t* data, size_t size, const Coding& coding, Level level,
                              const std::function<void(size_t)>& consumed = {});

// Decodes exactly `size` bytes from exactly `packed_size` bytes; anything else is damage.
std::vector<uint8_t> decompress_all(const uint8_t* packed, size_t packed_size, size_t size,
                                    const Coding& coding, const std::string& what);

// Packs data fast, only to see how well it packs: how many bytes the output has reached
// after each piece of input. Its 64 MiB window sees the repeats a slow pass would use.
class SizeEstimator {
  public:
    SizeEstimator(uint64_t total_size, Filter filter, uint32_t pb);
    ~SizeEstimator();
    SizeEstimator(const SizeEstimator&) = delete;
    SizeEstimator& operator=(const SizeEstimator&) = delete;
    void feed(const uint8_t* data, size_t size);
    uint64_t packed_so_far() const { return strm_.total_out; }

  private:
    lzma_stream strm_ = LZMA_STREAM_INIT;
    std::vector<uint8_t> scratch_;
};

// Streaming decoder of one block. Owns the liblzma state.
class BlockDecoder {
  public:
    BlockDecoder(const Coding& coding, std::string what);
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
