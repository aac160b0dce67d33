#pragma once
// Extraction and testing: decodes the blocks on several threads, writes every file through
// the Destination and checks its size and CRC before it takes its real name.
#include <cstdint>

#include "archive.h"
#include "fs.h"
#include "output.h"

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

// With dest == nullptr nothing is written: every block is decoded and every file checked.
ExtractResult extract(const Archive& archive, ByteSource& source, Destination* dest,
                      const ExtractOptions& options, LineSink& sink);

}  // namespace uha
