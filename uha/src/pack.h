#pragma once
// Creating an archive: files are sorted so that similar data lies together (x86 programs
// first, then by extension and name), laid into one solid stream and cut into a power-of-two
// number of large LZMA2 blocks (two at least, from 8 MiB on), which are compressed, and later
// decoded, in parallel. The cuts balance the blocks' decoding time, estimated by a fast pass,
// and fall between files of different families (names that differ in more than a number),
// so near-identical files stay in one block. Every block after the first starts with the
// stream's head as a preset dictionary, which wins back most of what a cut costs. The same
// fast passes choose each block's coding: with the x86 filter or without.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "uha/src/codec.h"
#include "uha/src/format.h"
#include "uha/src/names.h"
#include "uha/src/output.h"

namespace uha {

inline constexpr uint64_t kDefaultBlockSize = 128u << 20;
inline constexpr uint64_t kPresetSize = 8u << 20;
inline constexpr uint64_t kMinSplitSize = 8u << 20;  // smaller data stays in one block

// How far packing has come, in bytes of input. Packing reads the data twice: a fast pass
// that plans the blocks, then the coding itself.
struct PackProgress {
    enum class Stage { planning, coding } stage;
    uint64_t done, total;
};

struct PackOptions {
    Level level;
    uint64_t max_block_size = kDefaultBlockSize;
    unsigned threads = 0;  // 0: one per processor
    // Which attribute bits are stored. A builder that must give the same archive on every
    // system keeps only what every system has (read-only).
    uint32_t attribute_mask = kKeptAttributes;
    // Later file and folder times are stored as this one (100-ns ticks since 1601), so that
    // an archive can be made again with the same bytes (SOURCE_DATE_EPOCH).
    uint64_t latest_time = UINT64_MAX;
    // Called now and then while packing, from any of its threads, never from two at once.
    std::function<void(const PackProgress&)> on_progress;
};

struct PackResult {
    uint64_t files = 0, folders = 0, bytes = 0, packed = 0;
};

// Packs the inputs under the names place_input() gives them. Two names that Windows would take
// for one file (fold_name) are refused before anything is written.
PackResult pack(const std::string& native_archive, const std::vector<PackInput>& inputs,
                const PackOptions& options, LineSink& sink);

// Whether the bytes start a 32- or 64-bit x86 Windows program (PE) image.
bool is_x86_program(const uint8_t* head, size_t size);

// What a name's file family is: folder and name, lower case, without the extension and the
// trailing digits and separators ("bin/d3dx9_43.dll" -> "bin/d3dx").
std::string family_of(const std::string& name);

// How many blocks: enough that none exceeds max_block, a power of two so that any power-of-
// two number of threads shares them evenly, and at least two once the data is 8 MiB.
uint64_t block_count(uint64_t total, uint64_t max_block);

// The estimated decoding cost of the stream up to `offset`.
struct CostPoint {
    uint64_t offset;
    double cost;
};

// Offsets that share the cost (the curve rises with the offset and ends at the stream's end)
// evenly among `count` threads, counting the wait of all but the first for the first
// block's leading `head` bytes, their preset dictionary.
std::vector<uint64_t> balanced_splits(const std::vector<CostPoint>& curve, uint64_t count,
                                      uint64_t head);

struct Cut {
    uint64_t offset;     // a file's start in the stream
    bool family_change;  // from the file before it
};

// Moves each split to the nearest family change within reach, else to the nearest file
// start within reach; else it stays, cutting a file.
std::vector<uint64_t> snap_cuts(const std::vector<uint64_t>& splits, uint64_t reach,
                                const std::vector<Cut>& boundaries);

}  // namespace uha
