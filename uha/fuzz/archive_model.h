#pragma once
// An archive taken apart for structure-aware fuzzing: the header's fields, the data area and
// the table as fields, read without the reader's checks so that any of them can be changed,
// and put together again with the table packed and every CRC computed anew. Mutations made on
// the model reach the checks behind the CRCs, which random bytes almost never pass.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "uha/src/format.h"

namespace uha_fuzz {

struct ArchiveModel {
    uint16_t version = uha::kFormatVersion;
    uint16_t flags = 0;
    std::vector<uint8_t> data;        // bytes 32 up to the table: the packed blocks
    uha::Table table;                 // fields as stored, sound or not
    std::vector<uint8_t> table_tail;  // table bytes after the last entry record
};

// The model of `bytes` when they hold an archive's magic, a header whose table lies inside
// them and a table that unpacks (its fields are taken as they stand, records cut short are
// dropped); nothing otherwise. CRCs are not checked.
std::optional<ArchiveModel> parse_archive(const uint8_t* bytes, size_t size);

// The archive's bytes: the header with the table's place, sizes and CRC and its own CRC, the
// data area, and the table packed as the writer packs it.
std::vector<uint8_t> build_archive(const ArchiveModel& model);

// The data stream the blocks decode to, when every block lies in the data area and decodes
// to its size (at most 16 MiB in all); nothing otherwise.
std::optional<std::vector<uint8_t>> decode_stream(const ArchiveModel& model);

// Packs `stream` into `block_count` blocks (at least one) that replace the model's data area
// and block records, keeping the first records' filters, dictionaries and presets where they
// are sound; sets every file entry's CRC from its bytes of the stream. The entries' sizes must
// add up to the stream's size.
void repack(ArchiveModel& model, const std::vector<uint8_t>& stream, size_t block_count);

// Changes bytes in place: (data, size, max_size) -> new size. libFuzzer's LLVMFuzzerMutate in
// the fuzz target.
using ByteMutator = std::function<size_t(uint8_t*, size_t, size_t)>;

// One structural change, drawn from `random`: a block or entry field set to an edge value, a
// name changed or made hostile, records added, dropped or swapped, the packed bytes or a
// file's contents changed (the contents then packed again, with sound sizes and CRCs).
void mutate(ArchiveModel& model, std::mt19937& random, const ByteMutator& bytes);

}  // namespace uha_fuzz
