#include "uha/fuzz/archive_model.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "uha/src/bytes.h"
#include "uha/src/codec.h"
#include "uha/src/crc32.h"
#include "uha/src/error.h"

namespace uha_fuzz {

namespace {

using uha::Block;
using uha::Entry;
using uha::EntryKind;
using uha::Filter;

constexpr size_t kBlockRecordSize = 8 + 8 + 8 + 1 + 4 + 4;
constexpr size_t kEntryRecordMin = 1 + 4 + 8 + 8 + 4 + 2;
// Mutations decode and pack the whole stream; more would make each input slow.
constexpr uint64_t kMaxModelStream = 16u << 20;

uint64_t pick(std::mt19937& random, uint64_t bound) {
    return bound == 0 ? 0 : std::uniform_int_distribution<uint64_t>(0, bound - 1)(random);
}

// Values next to the limits the reader checks, and ones that overflow sums and casts.
uint64_t edge_value(std::mt19937& random, uint64_t current, uint64_t related) {
    static constexpr uint64_t kEdges[] = {0,
                                          1,
                                          uha::kHeaderSize,
                                          uha::kMinDictSize - 1,
                                          uha::kMinDictSize,
                                          uha::kMaxDictSize,
                                          uha::kMaxDictSize + 1ull,
                                          uha::kMaxPresetSize,
                                          uha::kMaxPresetSize + 1ull,
                                          0x7fffffffull,
                                          0xffffffffull,
                                          0x100000000ull,
                                          0x7fffffffffffffffull,
                                          0xffffffffffffffffull};
    switch (pick(random, 4)) {
        case 0:
            return kEdges[pick(random, std::size(kEdges))];
        case 1:
            return current + 1;
        case 2:
            return current - 1;
        default:
            return related + (pick(random, 3)) - 1;
    }
}

std::string hostile_name(std::mt19937& random, const uha::Table& table) {
    static const char* const kNames[] = {
        "..",      "a/../b",   "/abs",     "a//b",           "a/",       "./a",          "con",
        "CON.txt", "nul ",     "lpt9.log", "CONIN$",         "a:b",      "a\\b",         "a*b",
        "end.",    "end ",     "\x01name", "\x7f",           "\xc0\xaf", "\xed\xa0\x80", "\xff",
        "ą/Ą",     "\xc4\x84", "\xc4\x85", "a/b/c/d/e/f/g/h"};
    std::string name = kNames[pick(random, std::size(kNames))];
    if (!table.entries.empty() && pick(random, 2) == 0) {
        // Another entry's name: as it stands, in the other case, or as a folder of it.
        name = table.entries[pick(random, table.entries.size())].name;
        switch (pick(random, 3)) {
            case 0:
                for (char& c : name)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
                break;
            case 1:
                name += "/x";
                break;
            default:
                break;
        }
    }
    if (pick(random, 8) == 0) name.assign(4096 + pick(random, 3) - 1, 'n');
    return name;
}

void mutate_block(Block& b, std::mt19937& random, const ArchiveModel& model) {
    uint64_t data_end = uha::kHeaderSize + model.data.size();
    switch (pick(random, 6)) {
        case 0:
            b.offset = edge_value(random, b.offset, data_end);
            break;
        case 1:
            b.packed_size = edge_value(random, b.packed_size, data_end - b.offset);
            break;
        case 2:
            b.size = edge_value(random, b.size, b.packed_size);
            break;
        case 3:
            b.filter = static_cast<Filter>(pick(random, 4));
            break;
        case 4:
            b.dict_size = static_cast<uint32_t>(edge_value(random, b.dict_size, uha::kMinDictSize));
            break;
        default:
            b.preset_size = static_cast<uint32_t>(
                edge_value(random, b.preset_size,
                           model.table.blocks.empty() ? 0 : model.table.blocks[0].size));
            break;
    }
}

void mutate_entry(Entry& e, std::mt19937& random, const ArchiveModel& model,
                  const ByteMutator& bytes) {
    switch (pick(random, 6)) {
        case 0:
            e.kind = static_cast<EntryKind>(pick(random, 3));
            break;
        case 1:
            e.attributes = static_cast<uint32_t>(random());
            break;
        case 2:
            e.mtime = edge_value(random, e.mtime, 0);
            break;
        case 3:
            e.size = edge_value(random, e.size, e.size);
            break;
        case 4:
            e.name = hostile_name(random, model.table);
            break;
        default: {
            std::string name = e.name;
            size_t room = std::max<size_t>(name.size() * 2, 16);
            name.resize(room);
            name.resize(bytes(reinterpret_cast<uint8_t*>(name.data()), e.name.size(), room));
            e.name = std::move(name);
            break;
        }
    }
}

template <typename T>
void mutate_records(std::vector<T>& records, std::mt19937& random) {
    if (records.empty()) return;
    size_t i = pick(random, records.size());
    switch (pick(random, 3)) {
        case 0:
            records.insert(records.begin() + static_cast<ptrdiff_t>(i), records[i]);
            break;
        case 1:
            records.erase(records.begin() + static_cast<ptrdiff_t>(i));
            break;
        default:
            std::swap(records[i], records[pick(random, records.size())]);
            break;
    }
}

// Changes one file's contents (its size too) and packs the stream again, so the archive
// stays sound: what the reader then meets is the decoders' and writers' work on new data.
void mutate_contents(ArchiveModel& model, std::mt19937& random, const ByteMutator& bytes) {
    auto stream = decode_stream(model);
    if (!stream) return;
    std::vector<size_t> files;
    for (size_t i = 0; i < model.table.entries.size(); ++i)
        if (model.table.entries[i].kind == EntryKind::file) files.push_back(i);
    if (files.empty()) return;
    // Sizes from a mutated table can be anything: added with a check, so that a sum that wraps
    // around to the stream's size is not taken for one that matches it.
    uint64_t total = 0;
    for (size_t i : files) {
        if (model.table.entries[i].size > stream->size() - total) return;
        total += model.table.entries[i].size;
    }
    if (total != stream->size()) return;

    size_t chosen = files[pick(random, files.size())];
    uint64_t start = 0;
    for (size_t i : files) {
        if (i == chosen) break;
        start += model.table.entries[i].size;
    }
    Entry& e = model.table.entries[chosen];
    std::vector<uint8_t> contents(stream->begin() + static_cast<ptrdiff_t>(start),
                                  stream->begin() + static_cast<ptrdiff_t>(start + e.size));
    size_t room = contents.size() * 2 + 64;
    size_t old_size = contents.size();
    contents.resize(room);
    contents.resize(bytes(contents.data(), old_size, room));
    stream->erase(stream->begin() + static_cast<ptrdiff_t>(start),
                  stream->begin() + static_cast<ptrdiff_t>(start + e.size));
    stream->insert(stream->begin() + static_cast<ptrdiff_t>(start), contents.begin(),
                   contents.end());
    e.size = contents.size();
    size_t blocks = model.table.blocks.size();
    if (pick(random, 4) == 0) blocks = 1 + pick(random, 4);
    repack(model, *stream, blocks);
}

}  // namespace

std::optional<ArchiveModel> parse_archive(const uint8_t* bytes, size_t size) {
    if (size < uha::kHeaderSize || std::memcmp(bytes, uha::kMagic.data(), 4) != 0) return {};
    ArchiveModel m;
    uha::ByteReader header(bytes + 4, uha::kHeaderSize - 4, "header");
    m.version = header.u16();
    m.flags = header.u16();
    uint64_t table_offset = header.u64();
    uint32_t packed_size = header.u32();
    uint32_t table_size = header.u32();
    if (table_offset < uha::kHeaderSize || table_offset > size ||
        packed_size != size - table_offset || table_size == 0 || table_size > uha::kMaxTableSize)
        return {};
    std::vector<uint8_t> table;
    try {
        table = uha::decompress_all(bytes + table_offset, packed_size, table_size,
                                    uha::Coding{Filter::lzma2, uha::kTableDictSize}, "table");
    } catch (const uha::Error&) {
        return {};
    }
    m.data.assign(bytes + uha::kHeaderSize, bytes + table_offset);

    uha::ByteReader r(table.data(), table.size(), "table");
    try {
        uint32_t block_count = r.u32();
        uint32_t entry_count = r.u32();
        for (uint32_t i = 0; i < block_count && r.left() >= kBlockRecordSize; ++i) {
            Block b;
            b.offset = r.u64();
            b.packed_size = r.u64();
            b.size = r.u64();
            b.filter = static_cast<Filter>(r.u8());
            b.dict_size = r.u32();
            b.preset_size = r.u32();
            m.table.blocks.push_back(b);
        }
        for (uint32_t i = 0; i < entry_count && r.left() >= kEntryRecordMin; ++i) {
            Entry e;
            e.kind = static_cast<EntryKind>(r.u8());
            e.attributes = r.u32();
            e.mtime = r.u64();
            e.size = r.u64();
            e.crc = r.u32();
            e.name = r.bytes(r.u16());
            m.table.entries.push_back(std::move(e));
        }
    } catch (const uha::FormatError&) {
        // A record cut short: the ones before it are the model.
    }
    size_t used = table.size() - r.left();
    m.table_tail.assign(table.begin() + static_cast<ptrdiff_t>(used), table.end());
    return m;
}

std::vector<uint8_t> build_archive(const ArchiveModel& model) {
    std::vector<uint8_t> table = uha::encode_table(model.table);
    table.insert(table.end(), model.table_tail.begin(), model.table_tail.end());
    // A reader decodes the table with a 1 MiB dictionary; a smaller one packs it as soundly
    // and sets up much faster.
    std::vector<uint8_t> packed =
        uha::compress(table.data(), table.size(), uha::Coding{Filter::lzma2, uha::kMinDictSize},
                      uha::Level{0, false});
    uha::ByteWriter w;
    w.bytes(std::string_view(reinterpret_cast<const char*>(uha::kMagic.data()), 4));
    w.u16(model.version);
    w.u16(model.flags);
    w.u64(uha::kHeaderSize + model.data.size());
    w.u32(static_cast<uint32_t>(packed.size()));
    w.u32(static_cast<uint32_t>(table.size()));
    w.u32(uha::crc32_update(0, table.data(), table.size()));
    w.u32(uha::crc32_update(0, w.data().data(), w.data().size()));
    std::vector<uint8_t> out = std::move(w.data());
    out.insert(out.end(), model.data.begin(), model.data.end());
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

std::optional<std::vector<uint8_t>> decode_stream(const ArchiveModel& model) {
    uint64_t total = 0;
    for (const Block& b : model.table.blocks) {
        if (b.size > kMaxModelStream - total) return {};
        total += b.size;
    }
    std::vector<uint8_t> stream;
    stream.reserve(static_cast<size_t>(total));
    for (size_t i = 0; i < model.table.blocks.size(); ++i) {
        const Block& b = model.table.blocks[i];
        if (b.offset < uha::kHeaderSize || b.packed_size > model.data.size() ||
            b.offset - uha::kHeaderSize > model.data.size() - b.packed_size ||
            b.dict_size < uha::kMinDictSize || b.dict_size > uha::kMaxDictSize ||
            (b.filter != Filter::lzma2 && b.filter != Filter::x86_lzma2) ||
            b.preset_size >
                (i == 0 ? 0 : std::min<uint64_t>(model.table.blocks[0].size, uha::kMaxPresetSize)))
            return {};
        uha::Coding coding{b.filter, b.dict_size};
        coding.preset = stream.data();
        coding.preset_size = b.preset_size;
        try {
            std::vector<uint8_t> part = uha::decompress_all(
                model.data.data() + (b.offset - uha::kHeaderSize),
                static_cast<size_t>(b.packed_size), static_cast<size_t>(b.size), coding, "block");
            stream.insert(stream.end(), part.begin(), part.end());
        } catch (const uha::Error&) {
            return {};
        }
    }
    return stream;
}

void repack(ArchiveModel& model, const std::vector<uint8_t>& stream, size_t block_count) {
    block_count =
        std::max<size_t>(1, std::min<size_t>(block_count, std::max<size_t>(1, stream.size())));
    std::vector<Block> old = std::move(model.table.blocks);
    model.table.blocks.clear();
    model.data.clear();
    size_t start = 0;
    for (size_t i = 0; i < block_count; ++i) {
        size_t end = stream.size() * (i + 1) / block_count;
        Block b;
        if (i < old.size()) {
            if (old[i].filter == Filter::x86_lzma2) b.filter = Filter::x86_lzma2;
            b.dict_size = std::clamp(old[i].dict_size, uha::kMinDictSize, uha::kMaxDictSize);
            b.preset_size = old[i].preset_size;
        }
        if (i == 0) b.preset_size = 0;
        b.preset_size = static_cast<uint32_t>(std::min<uint64_t>(
            {b.preset_size, model.table.blocks.empty() ? 0 : model.table.blocks[0].size,
             uha::kMaxPresetSize}));
        // The record keeps its dictionary size (what a reader allocates); the encoder takes no
        // more than the block and its preset fill, since setting up a large one is slow.
        uint32_t encoder_dict = uha::kMinDictSize;
        while (encoder_dict < b.dict_size && encoder_dict < end - start + b.preset_size)
            encoder_dict <<= 1;
        uha::Coding coding{b.filter, encoder_dict, 0, stream.data(), b.preset_size};
        // An empty stream still needs a block the reader accepts: none (no files hold data).
        if (end == start) break;
        std::vector<uint8_t> packed =
            uha::compress(stream.data() + start, end - start, coding, uha::Level{0, false});
        b.offset = uha::kHeaderSize + model.data.size();
        b.packed_size = packed.size();
        b.size = end - start;
        model.data.insert(model.data.end(), packed.begin(), packed.end());
        model.table.blocks.push_back(b);
        start = end;
    }
    uint64_t at = 0;
    for (Entry& e : model.table.entries) {
        if (e.kind != EntryKind::file) continue;
        if (at > stream.size() || e.size > stream.size() - at) break;
        e.crc = e.size == 0 ? 0 : uha::crc32_update(0, stream.data() + at, e.size);
        at += e.size;
    }
}

void mutate(ArchiveModel& model, std::mt19937& random, const ByteMutator& bytes) {
    auto& blocks = model.table.blocks;
    auto& entries = model.table.entries;
    switch (pick(random, 10)) {
        case 0:
            if (!blocks.empty()) mutate_block(blocks[pick(random, blocks.size())], random, model);
            break;
        case 1:
        case 2:
            if (!entries.empty())
                mutate_entry(entries[pick(random, entries.size())], random, model, bytes);
            break;
        case 3:
            mutate_records(blocks, random);
            break;
        case 4:
            mutate_records(entries, random);
            break;
        case 5: {
            // The packed bytes: the decoders meet damage behind a sound table.
            size_t size = model.data.size();
            model.data.resize(size + 16);
            model.data.resize(bytes(model.data.data(), size, size + 16));
            break;
        }
        case 6: {
            size_t size = model.table_tail.size();
            model.table_tail.resize(size + 8);
            model.table_tail.resize(bytes(model.table_tail.data(), size, size + 8));
            break;
        }
        case 7:
            if (pick(random, 2) == 0)
                model.version = static_cast<uint16_t>(edge_value(random, model.version, 1));
            else
                model.flags = static_cast<uint16_t>(1u << pick(random, 16));
            break;
        default:
            mutate_contents(model, random, bytes);
            break;
    }
}

}  // namespace uha_fuzz
