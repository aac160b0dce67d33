#include "builder/pe_image.h"

#include <algorithm>

#include "builder/byte_view.h"

namespace setup::pe {
namespace {

constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr size_t kFileHeaderSize = 20;
// The optional header up to its data directory table: PE32+ has 64-bit image base and stack
// sizes and no BaseOfData, 16 bytes more; every field a stamper touches lies where it lies in
// PE32, but for the directory table and its count just before it.
constexpr size_t kPe32OptionalHeaderFixed = 96;
constexpr size_t kPe32PlusOptionalHeaderFixed = 112;
constexpr size_t kSectionHeaderSize = 40;
// The loader's own limits: more sections or directories are a damaged header.
constexpr uint16_t kMaxSections = 96;
constexpr uint32_t kMaxDirectories = 16;

bool power_of_two(uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// The file offset of the "PE\0\0" signature, after checking both signatures.
uint32_t pe_signature_offset(const ByteView& file) {
    if (file.size() < 64)
        throw PeError("truncated: " + std::to_string(file.size()) +
                      " bytes are too few for a DOS header (64)");
    if (file.u16(0, "DOS header") != 0x5a4d)
        throw PeError("bad DOS signature: no \"MZ\" at offset 0");
    uint32_t pe = file.u32(0x3c, "e_lfanew");
    if (file.u32(pe, "PE signature") != 0x00004550)
        throw PeError("bad PE signature at offset " + hex(pe) + ": no \"PE\\0\\0\"");
    return pe;
}

}  // namespace

const Section* PeHeaders::section_at(uint64_t rva) const {
    for (const Section& s : sections)
        if (s.contains_rva(rva)) return &s;
    return nullptr;
}

uint64_t PeHeaders::image_end() const {
    uint64_t end = size_of_headers;
    for (const Section& s : sections)
        if (s.raw_size) end = std::max(end, s.raw_end());
    return end;
}

PeHeaders parse_pe_headers(std::span<const uint8_t> image) {
    ByteView file(image, "the file");
    uint32_t pe = pe_signature_offset(file);
    uint64_t coff = uint64_t{pe} + 4;
    file.slice(coff, kFileHeaderSize, "COFF file header");
    uint16_t section_count = file.u16(coff + 2, "NumberOfSections");
    uint16_t optional_size = file.u16(coff + 16, "SizeOfOptionalHeader");

    PeHeaders h;
    h.optional_header_offset = static_cast<size_t>(coff + kFileHeaderSize);
    h.symbol_table_offset = file.u32(coff + 8, "PointerToSymbolTable");
    const uint64_t opt = h.optional_header_offset;
    uint16_t magic = file.u16(opt, "optional header");
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        throw PeError("bad optional header magic " + hex(magic));
    const size_t fixed =
        magic == kPe32PlusMagic ? kPe32PlusOptionalHeaderFixed : kPe32OptionalHeaderFixed;
    h.directory_table_offset = fixed;
    if (optional_size < fixed)
        throw PeError("SizeOfOptionalHeader " + std::to_string(optional_size) +
                      " is too small for its optional header (" + std::to_string(fixed) + ")");
    file.slice(opt, optional_size, "optional header");

    h.section_alignment = file.u32(opt + 32, "SectionAlignment");
    h.file_alignment = file.u32(opt + 36, "FileAlignment");
    h.size_of_headers = file.u32(opt + 60, "SizeOfHeaders");
    uint32_t directory_count = file.u32(opt + fixed - 4, "NumberOfRvaAndSizes");
    if (!power_of_two(h.file_alignment) || h.file_alignment < 512 || h.file_alignment > 65536)
        throw PeError("FileAlignment " + hex(h.file_alignment) +
                      " is not a power of two from 512 to 65536");
    if (!power_of_two(h.section_alignment) || h.section_alignment < 4096 ||
        h.section_alignment < h.file_alignment)
        throw PeError("SectionAlignment " + hex(h.section_alignment) +
                      " is not a power of two of at least 4096 and FileAlignment");
    if (directory_count > kMaxDirectories || fixed + 8 * directory_count > optional_size)
        throw PeError("NumberOfRvaAndSizes " + std::to_string(directory_count) +
                      " does not fit the optional header");
    for (uint32_t i = 0; i < directory_count; ++i) {
        uint64_t at = h.directory_field(i);
        h.directories.push_back(
            {file.u32(at, "data directory"), file.u32(at + 4, "data directory")});
    }
    if (section_count == 0 || section_count > kMaxSections)
        throw PeError("NumberOfSections " + std::to_string(section_count) + " is not from 1 to 96");
    uint64_t table = opt + optional_size;
    file.slice(table, uint64_t{section_count} * kSectionHeaderSize, "section table");
    if (h.size_of_headers > file.size())
        throw PeError("truncated: SizeOfHeaders " + hex(h.size_of_headers) +
                      " lies past the end of the file (" + std::to_string(file.size()) + " bytes)");
    uint64_t next_free_rva = h.size_of_headers;
    for (uint16_t i = 0; i < section_count; ++i) {
        Section s;
        s.header_offset = static_cast<size_t>(table + i * kSectionHeaderSize);
        auto name = file.slice(s.header_offset, 8, "section name");
        s.name.assign(name.begin(), std::find(name.begin(), name.end(), 0));
        s.virtual_size = load32(image, s.header_offset + 8);
        s.virtual_address = load32(image, s.header_offset + 12);
        s.raw_size = load32(image, s.header_offset + 16);
        s.raw_offset = load32(image, s.header_offset + 20);
        s.characteristics = load32(image, s.header_offset + 36);
        const std::string label = "section " + s.name;
        if (s.raw_size && !file.contains(s.raw_offset, s.raw_size))
            throw PeError("truncated: " + label + "'s raw data at offset " + hex(s.raw_offset) +
                          " (" + std::to_string(s.raw_size) +
                          " bytes) lies past the end of the file (" + std::to_string(file.size()) +
                          " bytes)");
        if (s.virtual_address < next_free_rva || s.virtual_address % h.section_alignment)
            throw PeError(label + " at RVA " + hex(s.virtual_address) +
                          " overlaps the one before it or is not aligned to SectionAlignment");
        next_free_rva =
            align_up(uint64_t{s.virtual_address} + s.mapped_size(), h.section_alignment);
        if (next_free_rva > 0xffffffffu) throw PeError(label + " ends past 4 GiB");
        h.sections.push_back(std::move(s));
    }
    return h;
}

uint32_t pe_checksum(std::span<const uint8_t> image) {
    ByteView file(image, "the file");
    uint64_t field = uint64_t{pe_signature_offset(file)} + 4 + kFileHeaderSize + 64;
    file.slice(field, 4, "CheckSum");
    // Words are summed in 64 bits and folded at the end: folding is the same end-around carry
    // that the usual word-by-word loop applies at each step, so the result is identical.
    uint64_t sum = 0;
    const size_t even = image.size() & ~size_t{1};
    for (size_t i = 0; i < even; i += 2) sum += load16(image, i);
    if (image.size() % 2) sum += image.back();
    // The field is 4-byte aligned in a valid image but need not be; subtract its bytes as they
    // were summed.
    for (uint64_t i = field; i < field + 4; ++i)
        sum -= i % 2 ? uint64_t{image[i]} << 8 : uint64_t{image[i]};
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

}  // namespace setup::pe
