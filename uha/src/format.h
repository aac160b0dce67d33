#pragma once
// The .uha archive layout (docs/uha-format.md): a fixed header, the packed blocks of the
// solid data stream, and the packed table that lists the blocks and the entries.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace uha {

inline constexpr std::array<uint8_t, 4> kMagic = {'U', 'H', 'A', 0x1A};
inline constexpr uint16_t kFormatVersion = 1;
inline constexpr size_t kHeaderSize = 32;
inline constexpr uint32_t kMinDictSize = 4096;
inline constexpr uint32_t kMaxDictSize = 64u << 20;   // bounds a reader's memory per thread
inline constexpr uint32_t kMaxTableSize = 64u << 20;  // 20 bytes and a name per entry
inline constexpr uint32_t kTableDictSize = 1u << 20;
inline constexpr uint32_t kMaxPresetSize = 16u << 20;

// Windows file attribute bits that an archive keeps; the others are dropped.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kKeptAttributes =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

enum class Filter : uint8_t { lzma2 = 1, x86_lzma2 = 2 };

struct Header {
    uint64_t table_offset = 0;
    uint32_t table_packed_size = 0;
    uint32_t table_size = 0;
    uint32_t table_crc = 0;  // of the unpacked table
};

struct Block {
    uint64_t offset = 0;  // of its packed bytes, from the start of the archive
    uint64_t packed_size = 0;
    uint64_t size = 0;  // unpacked
    Filter filter = Filter::lzma2;
    uint32_t dict_size = kMinDictSize;
    // The block's decoder starts with this many bytes from the start of the data stream as
    // its history; they lie in the first block, which itself has none.
    uint32_t preset_size = 0;
};

enum class EntryKind : uint8_t { file = 0, folder = 1 };

struct Entry {
    EntryKind kind = EntryKind::file;
    uint32_t attributes = 0;
    uint64_t mtime = 0;  // 100-ns ticks since 1601-01-01 UTC (a Windows FILETIME)
    uint64_t size = 0;
    uint32_t crc = 0;
    std::string name;  // UTF-8, "/"-separated, sound by name_problem()
};

// The solid data stream is the files' contents, in entry order, cut into the blocks in
// block order; folders and empty files take no room in it.
struct Table {
    std::vector<Block> blocks;
    std::vector<Entry> entries;
};

std::array<uint8_t, kHeaderSize> encode_header(const Header& header);
// Checks magic, version, header CRC and that the table lies inside the archive.
Header decode_header(const uint8_t* bytes, uint64_t archive_size);

std::vector<uint8_t> encode_table(const Table& table);
// Checks everything a reader relies on: blocks inside the data area and in order, known
// filters, bounded dictionaries, sound and distinct names, sizes that add up.
Table decode_table(const uint8_t* bytes, size_t size, uint64_t data_end);

}  // namespace uha
