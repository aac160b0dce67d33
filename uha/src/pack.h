#pragma once
// Creating an archive: files are grouped (x86 programs first, behind the branch filter),
// sorted by extension so similar data lies together, laid into one solid stream and cut
// into independent LZMA2 blocks that are compressed, and later decoded, in parallel.
#include <cstdint>
#include <string>
#include <vector>

#include "codec.h"
#include "output.h"

namespace uha {

inline constexpr uint64_t kDefaultBlockSize = 16u << 20;

struct PackOptions {
    Level level;
    uint64_t max_block_size = kDefaultBlockSize;
    unsigned threads = 0;  // 0: one per processor
};

struct PackResult {
    uint64_t files = 0, folders = 0, bytes = 0, packed = 0;
};

PackResult pack(const std::string& native_archive, const std::vector<std::string>& native_inputs,
                const PackOptions& options, LineSink& sink);

// Whether the bytes start a 32- or 64-bit x86 Windows program (PE) image.
bool is_x86_program(const uint8_t* head, size_t size);

}  // namespace uha
