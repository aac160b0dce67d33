#include "uha/src/archive.h"

#include "uha/src/bytes.h"
#include "uha/src/codec.h"
#include "uha/src/crc32.h"
#include "uha/src/error.h"

namespace uha {

Archive read_archive(ByteSource& source, const std::string& display_name) {
    Archive a;
    a.display_name = display_name;
    const uint64_t size = source.size();
    uint8_t head[kHeaderSize] = {};
    if (size < kHeaderSize) throw FormatError(display_name + ": not an archive: too short");
    source.read_at(0, head, kHeaderSize);
    try {
        a.header = decode_header(head, size);
        std::vector<uint8_t> packed(a.header.table_packed_size);
        source.read_at(a.header.table_offset, packed.data(), packed.size());
        std::vector<uint8_t> table =
            decompress_all(packed.data(), packed.size(), a.header.table_size,
                           Coding{Filter::lzma2, kTableDictSize}, "archive table");
        if (crc32_update(0, table.data(), table.size()) != a.header.table_crc)
            throw FormatError("archive table is damaged (CRC mismatch)");
        a.table = decode_table(table.data(), table.size(), a.header.table_offset);
    } catch (const FormatError& e) {
        throw FormatError(display_name + ": " + e.what());
    }
    for (const Entry& e : a.table.entries) {
        if (e.kind == EntryKind::folder) {
            ++a.folder_count;
        } else {
            ++a.file_count;
            a.file_bytes += e.size;
        }
    }
    return a;
}

StreamPlan plan_stream(const Table& table) {
    StreamPlan plan;
    plan.spans.assign(table.entries.size(), 0);
    size_t entry = 0;
    uint64_t used = 0;  // of the current entry
    for (size_t b = 0; b < table.blocks.size(); ++b) {
        BlockPlan bp;
        bp.block = b;
        uint64_t left = table.blocks[b].size;
        while (left > 0) {
            // decode_table checked that file sizes add up to the blocks' sizes.
            while (table.entries[entry].size == used) {
                ++entry;
                used = 0;
            }
            uint64_t take = std::min(left, table.entries[entry].size - used);
            bp.pieces.push_back(Piece{entry, used, take, plan.spans[entry]++});
            used += take;
            left -= take;
        }
        plan.blocks.push_back(std::move(bp));
    }
    return plan;
}

}  // namespace uha
