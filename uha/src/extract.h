#pragma once
// Extraction and testing: decodes the blocks on several threads, writes every file through
// the Destination and checks its size and CRC before it takes its real name.
#include <cstddef>
#include <cstdint>

#include "uha/src/archive.h"
#include "uha/src/fs.h"
#include "uha/src/output.h"

namespace uha {

struct ExtractOptions {
    bool overwrite = false;  // -o+: replace existing files; otherwise keep them and say so
    unsigned threads = 0;    // 0: one per processor
};

struct ExtractResult {
    uint64_t files = 0;
    uint64_t folders = 0;
    uint64_t bytes = 0;
    uint64_t skipped = 0;
};

// What all decoding threads together may hold: each keeps a dictionary as large as its block's
// and two buffers. It fits a 32-bit process (2 GiB of address space, 4 GiB when large-address-
// aware on a 64-bit system) with room to spare for the file table and the preset, whatever the
// processor count: at the largest dictionary, 64 MiB, it allows 15 threads.
inline constexpr uint64_t kDecodingMemoryBudget = 1024ull << 20;

// How many threads decode: as asked (0: one per processor), no more than there are blocks, and
// no more than the budget holds with the largest dictionary the blocks use; at least one.
unsigned decoding_threads(unsigned asked, unsigned processors, size_t blocks, uint32_t largest_dict,
                          uint64_t budget = kDecodingMemoryBudget);

// With dest == nullptr nothing is written: every block is decoded and every file checked.
ExtractResult extract(const Archive& archive, ByteSource& source, Destination* dest,
                      const ExtractOptions& options, LineSink& sink);

}  // namespace uha
