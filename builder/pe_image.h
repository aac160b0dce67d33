#pragma once
// The headers of a PE image (PE32, or PE32+ for 64-bit programs): the DOS stub's pointer, the COFF
// file header, the optional header with its data directories, and the section table, validated
// enough that every offset and size read from them can be used without further range checks against
// the file. Nothing here keeps a pointer into the image: offsets only.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "builder/pe_error.h"

namespace setup::pe {

// Data directory indexes (the optional header's table of RVA and size pairs).
inline constexpr size_t kExportDirectory = 0;
inline constexpr size_t kResourceDirectory = 2;
inline constexpr size_t kCertificateDirectory = 4;  // holds a file offset, not an RVA
inline constexpr size_t kBaseRelocationDirectory = 5;
inline constexpr size_t kDebugDirectory = 6;

// IMAGE_SCN_CNT_INITIALIZED_DATA: the sections SizeOfInitializedData adds up.
inline constexpr uint32_t kSectionInitializedData = 0x40;

struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
    bool empty() const { return rva == 0 && size == 0; }
};

struct Section {
    std::string name;  // up to 8 characters, as stored
    uint32_t virtual_size = 0;
    uint32_t virtual_address = 0;
    uint32_t raw_size = 0;
    uint32_t raw_offset = 0;
    uint32_t characteristics = 0;
    size_t header_offset = 0;  // file offset of the section's 40-byte header

    // Bytes the loader maps: VirtualSize, or the raw size where an old linker left it 0.
    uint32_t mapped_size() const { return virtual_size ? virtual_size : raw_size; }
    bool contains_rva(uint64_t rva) const {
        return rva >= virtual_address && rva < uint64_t{virtual_address} + mapped_size();
    }
    uint64_t raw_end() const { return uint64_t{raw_offset} + raw_size; }
};

struct PeHeaders {
    size_t optional_header_offset = 0;
    size_t directory_table_offset = 96;  // in the optional header: 96 in PE32, 112 in PE32+
    uint32_t section_alignment = 0;
    uint32_t file_alignment = 0;
    uint32_t size_of_headers = 0;
    uint32_t symbol_table_offset = 0;        // COFF PointerToSymbolTable; 0 in a stripped image
    std::vector<DataDirectory> directories;  // NumberOfRvaAndSizes entries
    std::vector<Section> sections;           // in table order, which is ascending RVA order

    // The directory `index`, or an empty one where the table is shorter.
    DataDirectory directory(size_t index) const {
        return index < directories.size() ? directories[index] : DataDirectory{};
    }
    // The section whose mapped range holds `rva`, or nullptr.
    const Section* section_at(uint64_t rva) const;
    // The file offset past the headers and every section's raw data: where an overlay begins.
    uint64_t image_end() const;

    // File offsets of the fields a stamper rewrites.
    size_t file_header_offset() const { return optional_header_offset - 20; }
    size_t symbol_table_field() const { return file_header_offset() + 8; }
    size_t size_of_initialized_data_field() const { return optional_header_offset + 8; }
    size_t size_of_image_field() const { return optional_header_offset + 56; }
    size_t checksum_field() const { return optional_header_offset + 64; }
    size_t directory_field(size_t index) const {
        return optional_header_offset + directory_table_offset + 8 * index;
    }
};

// Reads and checks the headers. Throws PeError naming the first thing that is wrong: a file too
// short for a structure, a bad MZ or PE signature, alignments that are not powers
// of two, sections whose raw data lies past the end of the file or whose RVAs overlap or go
// backwards.
PeHeaders parse_pe_headers(std::span<const uint8_t> image);

// The optional header's CheckSum: 16-bit little-endian words summed with end-around carry
// (a last odd byte counts as a word with a zero high byte), the checksum field itself counted as
// zero, plus the file's length. Needs only the MZ and PE signatures; throws PeError without them.
uint32_t pe_checksum(std::span<const uint8_t> image);

// The section's raw data in `image`, whose range parse_pe_headers checked; empty when it has none
// (its PointerToRawData is then not checked and may point anywhere).
inline std::span<const uint8_t> raw_data(std::span<const uint8_t> image, const Section& s) {
    return s.raw_size ? image.subspan(s.raw_offset, s.raw_size) : std::span<const uint8_t>{};
}

// `value` rounded up to `alignment`, a power of two.
inline uint64_t align_up(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) & ~uint64_t{alignment - 1};
}

}  // namespace setup::pe
