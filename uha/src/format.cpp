#include "uha/src/format.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "uha/src/bytes.h"
#include "uha/src/crc32.h"
#include "uha/src/error.h"
#include "uha/src/names.h"

namespace uha {

namespace {

constexpr size_t kBlockRecordSize = 8 + 8 + 8 + 1 + 4 + 4;
constexpr size_t kEntryRecordMin = 1 + 4 + 8 + 8 + 4 + 2;

uint64_t checked_add(uint64_t a, uint64_t b, const char* what) {
    if (b > UINT64_MAX - a) throw FormatError(std::string("archive table: ") + what + " overflows");
    return a + b;
}

}  // namespace

std::array<uint8_t, kHeaderSize> encode_header(const Header& h) {
    ByteWriter w;
    w.bytes(std::string_view(reinterpret_cast<const char*>(kMagic.data()), kMagic.size()));
    w.u16(kFormatVersion);
    w.u16(0);
    w.u64(h.table_offset);
    w.u32(h.table_packed_size);
    w.u32(h.table_size);
    w.u32(h.table_crc);
    w.u32(crc32_update(0, w.data().data(), w.data().size()));
    std::array<uint8_t, kHeaderSize> out;
    std::copy(w.data().begin(), w.data().end(), out.begin());
    return out;
}

Header decode_header(const uint8_t* bytes, uint64_t archive_size) {
    if (archive_size < kHeaderSize) throw FormatError("not an archive: too short");
    if (std::memcmp(bytes, kMagic.data(), kMagic.size()) != 0)
        throw FormatError("not an archive: no archive signature");
    ByteReader r(bytes + kMagic.size(), kHeaderSize - kMagic.size(), "archive header");
    uint16_t version = r.u16();
    uint16_t flags = r.u16();
    Header h;
    h.table_offset = r.u64();
    h.table_packed_size = r.u32();
    h.table_size = r.u32();
    h.table_crc = r.u32();
    uint32_t stored_crc = r.u32();
    if (crc32_update(0, bytes, kHeaderSize - 4) != stored_crc)
        throw FormatError("archive header is damaged (CRC mismatch)");
    if (version != kFormatVersion)
        throw FormatError("archive format version " + std::to_string(version) +
                          " is not supported (this program reads version " +
                          std::to_string(kFormatVersion) + ")");
    if (flags != 0) throw FormatError("archive header has unknown flags");
    if (h.table_offset < kHeaderSize || h.table_offset > archive_size ||
        h.table_packed_size != archive_size - h.table_offset)
        throw FormatError("archive is truncated or has data after its table");
    // The packer refuses a table over the bound ("too many files for one archive"), so a reader
    // never has to hold one.
    if (h.table_size > kMaxTableSize)
        throw FormatError("archive table of " + std::to_string(h.table_size) +
                          " bytes is over the " + std::to_string(kMaxTableSize >> 20) +
                          " MiB an archive's table may take: too many files for one archive");
    if (h.table_size == 0 || h.table_packed_size == 0)
        throw FormatError("archive table has an impossible size");
    return h;
}

std::vector<uint8_t> encode_table(const Table& t) {
    ByteWriter w;
    w.u32(static_cast<uint32_t>(t.blocks.size()));
    w.u32(static_cast<uint32_t>(t.entries.size()));
    for (const Block& b : t.blocks) {
        w.u64(b.offset);
        w.u64(b.packed_size);
        w.u64(b.size);
        w.u8(static_cast<uint8_t>(b.filter));
        w.u32(b.dict_size);
        w.u32(b.preset_size);
    }
    for (const Entry& e : t.entries) {
        w.u8(static_cast<uint8_t>(e.kind));
        w.u32(e.attributes);
        w.u64(e.mtime);
        w.u64(e.size);
        w.u32(e.crc);
        w.u16(static_cast<uint16_t>(e.name.size()));
        w.bytes(e.name);
    }
    return std::move(w.data());
}

namespace {

// The entries' folded names as a hash and an entry index, sorted: what the checks of distinct
// names and of files that would be folders look names up in. Names of one hash are compared
// folded. A map of the folded names themselves took about ten times the memory, which for a
// table of two million entries was over a hundred megabytes.
using NameKey = std::pair<size_t, uint32_t>;
using NameKeys = std::vector<NameKey>;

size_t name_hash(std::string_view folded) {
    return std::hash<std::string_view>{}(folded);
}

// The first entry, in table order, whose folded name an earlier entry already has.
std::optional<uint32_t> first_repeated(const NameKeys& keys, const std::vector<Entry>& entries) {
    std::optional<uint32_t> first;
    std::vector<std::pair<std::string, uint32_t>> group;
    for (size_t start = 0; start < keys.size();) {
        size_t end = start + 1;
        while (end < keys.size() && keys[end].first == keys[start].first) ++end;
        if (end - start > 1) {
            group.clear();
            for (size_t k = start; k < end; ++k)
                group.emplace_back(fold_name(entries[keys[k].second].name), keys[k].second);
            std::sort(group.begin(), group.end());
            for (size_t k = 1; k < group.size(); ++k)
                if (group[k].first == group[k - 1].first && (!first || group[k].second < *first))
                    first = group[k].second;
        }
        start = end;
    }
    return first;
}

}  // namespace

Table decode_table(const uint8_t* bytes, size_t size, uint64_t data_end) {
    ByteReader r(bytes, size, "archive table");
    uint32_t block_count = r.u32();
    uint32_t entry_count = r.u32();
    if (block_count > r.left() / kBlockRecordSize ||
        entry_count > (r.left() - block_count * kBlockRecordSize) / kEntryRecordMin)
        throw FormatError("archive table lists more items than it holds");

    Table t;
    t.blocks.resize(block_count);
    uint64_t next_offset = kHeaderSize;
    uint64_t stream_size = 0;
    for (uint32_t i = 0; i < block_count; ++i) {
        Block& b = t.blocks[i];
        b.offset = r.u64();
        b.packed_size = r.u64();
        b.size = r.u64();
        uint8_t filter = r.u8();
        b.dict_size = r.u32();
        b.preset_size = r.u32();
        const std::string which = "archive block " + std::to_string(i + 1);
        if (filter != static_cast<uint8_t>(Filter::lzma2) &&
            filter != static_cast<uint8_t>(Filter::x86_lzma2))
            throw FormatError(which + " uses an unknown filter");
        b.filter = static_cast<Filter>(filter);
        if (b.offset < next_offset || b.packed_size == 0 || b.size == 0 ||
            b.packed_size > data_end || b.offset > data_end - b.packed_size)
            throw FormatError(which + " lies outside the archive's data area");
        if (b.dict_size < kMinDictSize || b.dict_size > kMaxDictSize)
            throw FormatError(which + " has an unsupported dictionary size");
        if (b.preset_size > kMaxPresetSize ||
            (b.preset_size > 0 && (i == 0 || b.preset_size > t.blocks[0].size)))
            throw FormatError(which + " has an impossible preset dictionary");
        next_offset = b.offset + b.packed_size;
        stream_size = checked_add(stream_size, b.size, "the data size");
    }

    t.entries.resize(entry_count);
    uint64_t file_bytes = 0;
    NameKeys keys;
    keys.reserve(entry_count);
    for (uint32_t i = 0; i < entry_count; ++i) {
        Entry& e = t.entries[i];
        uint8_t kind = r.u8();
        e.attributes = r.u32() & kKeptAttributes;
        e.mtime = r.u64();
        e.size = r.u64();
        e.crc = r.u32();
        e.name = r.bytes(r.u16());
        if (kind > static_cast<uint8_t>(EntryKind::folder))
            throw FormatError("archive entry " + std::to_string(i + 1) + " has an unknown kind");
        e.kind = static_cast<EntryKind>(kind);
        if (auto problem = name_problem(e.name))
            throw FormatError("archive entry " + std::to_string(i + 1) + " has a name that " +
                              *problem);
        if (e.kind == EntryKind::folder && (e.size != 0 || e.crc != 0))
            throw FormatError("archive folder " + e.name + " claims contents");
        keys.emplace_back(name_hash(fold_name(e.name)), i);
        file_bytes = checked_add(file_bytes, e.size, "the file sizes");
    }
    std::sort(keys.begin(), keys.end());
    if (const std::optional<uint32_t> twice = first_repeated(keys, t.entries))
        throw FormatError("archive lists " + t.entries[*twice].name + " twice");
    if (r.left() != 0) throw FormatError("archive table has trailing bytes");
    if (file_bytes != stream_size)
        throw FormatError("archive table: file sizes do not add up to the data size");
    // A file cannot also be the folder of another entry.
    for (const Entry& e : t.entries) {
        std::string folded = fold_name(e.name);
        for (size_t slash = folded.find('/'); slash != std::string::npos;
             slash = folded.find('/', slash + 1)) {
            const std::string_view folder(folded.data(), slash);
            auto it = std::lower_bound(keys.begin(), keys.end(), NameKey{name_hash(folder), 0});
            for (; it != keys.end() && it->first == name_hash(folder); ++it) {
                const Entry& other = t.entries[it->second];
                if (other.kind == EntryKind::file && fold_name(other.name) == folder)
                    throw FormatError("archive lists " + e.name + " inside a file");
            }
        }
    }
    return t;
}

}  // namespace uha
