#pragma once
// Reading an archive's header and table, and the plan that maps the solid data stream's
// blocks onto the files they hold.
#include <cstdint>
#include <string>
#include <vector>

#include "uha/src/format.h"
#include "uha/src/fs.h"

namespace uha {

struct Archive {
    std::string display_name;  // for messages
    Header header;
    Table table;
    uint64_t file_bytes = 0;
    uint64_t file_count = 0;
    uint64_t folder_count = 0;
};

Archive read_archive(ByteSource& source, const std::string& display_name);

// A run of one file's bytes inside one block.
struct Piece {
    size_t entry = 0;          // index into table.entries
    uint64_t file_offset = 0;  // where the run starts in the file
    uint64_t length = 0;
    uint32_t rank = 0;  // 0 for the file's first piece, 1 for the next, ...
};

struct BlockPlan {
    size_t block = 0;
    std::vector<Piece> pieces;  // in stream order; their lengths add up to the block's size
};

// One plan per block, and for each entry the number of blocks its data spans.
struct StreamPlan {
    std::vector<BlockPlan> blocks;
    std::vector<uint32_t> spans;
};

StreamPlan plan_stream(const Table& table);

}  // namespace uha
