#include "builder/pe_resources.h"

#include <algorithm>

#include "builder/byte_view.h"
#include "builder/pe_image.h"
#include "builder/resource_tree.h"

namespace setup::pe {
namespace {

constexpr size_t kDebugEntrySize = 28;

std::string directory_label(size_t index) {
    static const char* const names[] = {"export table",         "import table",
                                        "resource table",       "exception table",
                                        "certificate table",    "base relocation table",
                                        "debug directory",      "architecture",
                                        "global pointer",       "TLS table",
                                        "load configuration",   "bound import table",
                                        "import address table", "delay import table",
                                        "CLR runtime header",   "reserved"};
    return "data directory " + std::to_string(index) + " (" + names[index] + ")";
}

// The section the resource table fills, or nullptr when the image has no resource table.
const Section* find_resource_section(const PeHeaders& h) {
    DataDirectory d = h.directory(kResourceDirectory);
    if (d.empty()) return nullptr;
    const Section* s = h.section_at(d.rva);
    if (!s) throw PeError("the resource table at RVA " + hex(d.rva) + " lies in no section");
    // The table is rewritten whole, so it must be all its section holds.
    if (d.rva != s->virtual_address)
        throw PeError("the resource table at RVA " + hex(d.rva) + " does not start section " +
                      s->name + " (RVA " + hex(s->virtual_address) + ")");
    if (s->raw_size == 0)
        throw PeError("section " + s->name + " holds the resource table but has no raw data");
    return s;
}

// The file bytes of `size` bytes at `rva`, which must lie in one section's raw data.
std::span<const uint8_t> bytes_at_rva(std::span<const uint8_t> image, const PeHeaders& h,
                                      uint32_t rva, uint32_t size, const std::string& what) {
    const Section* s = h.section_at(rva);
    if (!s) throw PeError(what + " at RVA " + hex(rva) + " lies in no section");
    ByteView raw(raw_data(image, *s), "section " + s->name);
    return raw.slice(rva - s->virtual_address, size, what);
}

// Checks that the resource section `rs` can be rewritten at a new size with only the base
// relocations and the overlay moving, and returns the relocation section, if any.
const Section* check_stampable(std::span<const uint8_t> image, const PeHeaders& h,
                               const Section& rs) {
    if (!h.directory(kCertificateDirectory).empty())
        throw PeError("the stub is signed (certificate table present): sign after stamping");
    const size_t ri = static_cast<size_t>(&rs - h.sections.data());
    const DataDirectory relocs = h.directory(kBaseRelocationDirectory);
    const Section* reloc = nullptr;
    // The table is in ascending RVA order: the sections after rs follow it in memory, and all
    // of them would have to move. Only the base relocations can: nothing refers to them but
    // data directory 5.
    for (size_t j = ri + 1; j < h.sections.size(); ++j) {
        const Section& s = h.sections[j];
        bool holds_relocations = !relocs.empty() && relocs.rva == s.virtual_address &&
                                 uint64_t{relocs.size} <= s.mapped_size();
        if (j != ri + 1 || j + 1 != h.sections.size() || !holds_relocations)
            throw PeError("section " + s.name + " follows the resource section " + rs.name +
                          " and is not the base relocations: section " + rs.name +
                          " is not the last resizable section");
        reloc = &s;
    }
    if (rs.raw_offset < h.size_of_headers)
        throw PeError("the resource section " + rs.name + "'s raw data overlaps the headers");
    for (size_t j = 0; j < ri; ++j)
        if (h.sections[j].raw_size && h.sections[j].raw_end() > rs.raw_offset)
            throw PeError("section " + h.sections[j].name +
                          "'s raw data ends after the start of "
                          "the resource section " +
                          rs.name +
                          "'s: only the base relocations may "
                          "follow it in the file");
    if (reloc && reloc->raw_size && reloc->raw_offset < rs.raw_end())
        throw PeError("section " + reloc->name +
                      "'s raw data starts before the end of the "
                      "resource section " +
                      rs.name + "'s");

    for (size_t i = 0; i < h.directories.size(); ++i) {
        DataDirectory d = h.directories[i];
        if (i == kResourceDirectory || i == kBaseRelocationDirectory || d.empty()) continue;
        if (d.rva >= rs.virtual_address)
            throw PeError(directory_label(i) + " at RVA " + hex(d.rva) +
                          " lies in or after the resource section " + rs.name +
                          ", which is rewritten");
    }
    if (!relocs.empty()) {
        if (!reloc && relocs.rva >= rs.virtual_address)
            throw PeError(directory_label(kBaseRelocationDirectory) + " at RVA " + hex(relocs.rva) +
                          " lies in the resource section " + rs.name);
        // Relocations that patch the resource section or the relocations themselves would
        // patch bytes that are rewritten or moved.
        auto table = bytes_at_rva(image, h, relocs.rva, relocs.size, "the base relocation table");
        ByteView blocks(table, "the base relocation table");
        for (uint64_t at = 0; at < table.size();) {
            uint32_t page = blocks.u32(at, "a base relocation block");
            uint32_t size = blocks.u32(at + 4, "a base relocation block");
            if (size < 8 || !blocks.contains(at, size))
                throw PeError("the base relocation block at offset " + hex(at) + " has size " +
                              std::to_string(size) + ", past the table's end or below 8");
            if (uint64_t{page} + 0x1000 > rs.virtual_address)
                throw PeError("base relocations patch the page at RVA " + hex(page) +
                              ", in or after the resource section " + rs.name);
            at += size;
        }
    }
    DataDirectory debug = h.directory(kDebugDirectory);
    if (!debug.empty()) {
        auto table = bytes_at_rva(image, h, debug.rva, debug.size, "the debug directory");
        for (size_t at = 0; at + kDebugEntrySize <= table.size(); at += kDebugEntrySize) {
            uint32_t rva = load32(table, at + 20), offset = load32(table, at + 24);
            if ((rva && rva >= rs.virtual_address) || (offset && offset >= rs.raw_offset))
                throw PeError("debug data at file offset " + hex(offset) +
                              " lies after the start of the resource section " + rs.name +
                              ": link the stub without debug information");
        }
    }
    if (h.symbol_table_offset && h.symbol_table_offset >= rs.raw_offset &&
        h.symbol_table_offset < h.image_end())
        throw PeError("the COFF symbol table at file offset " + hex(h.symbol_table_offset) +
                      " lies in the resource or relocation data: strip the stub");
    return reloc;
}

// Puts `changes` into `tree`. The spans it stores point into `changes`.
void apply_changes(ResourceTree& tree, const std::vector<Replacement>& changes) {
    // New resources take the language the stub's own raw data has.
    uint16_t language = 0;
    uint32_t codepage = 0;
    for (const TypeNode& t : tree.types)
        if (!t.type.is_name() && t.type.id == kTypeRcData && !t.names.empty() &&
            !t.names.front().languages.empty()) {
            language = t.names.front().languages.front().language;
            codepage = t.names.front().languages.front().codepage;
            break;
        }
    for (size_t i = 0; i < changes.size(); ++i) {
        const Replacement& c = changes[i];
        for (size_t k = 0; k < i; ++k)
            if (same_resource(changes[k].type, c.type) && same_resource(changes[k].name, c.name))
                throw PeError(describe(c.type, c.name) + " is given twice");
        const LanguageNode added{language, codepage, c.data};
        auto type = std::find_if(tree.types.begin(), tree.types.end(),
                                 [&](const TypeNode& t) { return same_resource(t.type, c.type); });
        if (type == tree.types.end()) {
            tree.types.push_back({c.type, {}, {{c.name, {}, {added}}}});
            continue;
        }
        auto name = std::find_if(type->names.begin(), type->names.end(),
                                 [&](const NameNode& n) { return same_resource(n.name, c.name); });
        if (name == type->names.end()) {
            type->names.push_back({c.name, {}, {added}});
            continue;
        }
        for (LanguageNode& l : name->languages) l.data = c.data;
    }
}

}  // namespace

std::vector<Resource> read_resources(std::span<const uint8_t> image) {
    PeHeaders h = parse_pe_headers(image);
    const Section* rs = find_resource_section(h);
    std::vector<Resource> out;
    if (!rs) return out;
    for (const TypeNode& t : read_resource_tree(image, *rs).types)
        for (const NameNode& n : t.names)
            for (const LanguageNode& l : n.languages)
                out.push_back({t.type, n.name, l.language, l.codepage,
                               std::vector<uint8_t>(l.data.begin(), l.data.end())});
    return out;
}

std::vector<uint8_t> stamp_resources(std::span<const uint8_t> image,
                                     const std::vector<Replacement>& changes) {
    const PeHeaders h = parse_pe_headers(image);
    const Section* found = find_resource_section(h);
    if (!found) throw PeError("the stub has no resource table (data directory 2 is empty)");
    const Section& rs = *found;
    const Section* reloc = check_stampable(image, h, rs);

    ResourceTree tree = read_resource_tree(image, rs);
    apply_changes(tree, changes);
    sort_resource_tree(tree);
    const std::vector<uint8_t> rsrc = write_resource_section(tree, rs.virtual_address);

    // The new layout: the resource section where it was, at its new size; the relocations
    // right after it in the file and in memory; then the overlay.
    const uint64_t rsrc_raw = align_up(rsrc.size(), h.file_alignment);
    const uint64_t reloc_offset = rs.raw_offset + rsrc_raw;
    const uint64_t reloc_rva = rs.virtual_address + align_up(rsrc.size(), h.section_alignment);
    const uint64_t old_end = h.image_end();
    const auto overlay = image.subspan(static_cast<size_t>(old_end));
    const uint64_t new_end = reloc_offset + (reloc ? reloc->raw_size : 0);
    const uint64_t image_top = reloc
                                   ? align_up(reloc_rva + reloc->mapped_size(), h.section_alignment)
                                   : align_up(reloc_rva, h.section_alignment);
    if (new_end + overlay.size() > 0xffffffffu || image_top > 0xffffffffu)
        throw PeError("the stamped image would exceed 4 GiB");

    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(new_end + overlay.size()));
    out.insert(out.end(), image.begin(), image.begin() + rs.raw_offset);
    out.insert(out.end(), rsrc.begin(), rsrc.end());
    out.resize(static_cast<size_t>(reloc_offset), 0);
    if (reloc) {
        auto bytes = raw_data(image, *reloc);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    out.insert(out.end(), overlay.begin(), overlay.end());

    std::span<uint8_t> o(out);
    store32(o, rs.header_offset + 8, static_cast<uint32_t>(rsrc.size()));
    store32(o, rs.header_offset + 16, static_cast<uint32_t>(rsrc_raw));
    store32(o, h.directory_field(kResourceDirectory) + 4, static_cast<uint32_t>(rsrc.size()));
    if (reloc) {
        store32(o, reloc->header_offset + 12, static_cast<uint32_t>(reloc_rva));
        if (reloc->raw_size)
            store32(o, reloc->header_offset + 20, static_cast<uint32_t>(reloc_offset));
        DataDirectory d = h.directory(kBaseRelocationDirectory);
        store32(o, h.directory_field(kBaseRelocationDirectory),
                static_cast<uint32_t>(d.rva - reloc->virtual_address + reloc_rva));
    }
    store32(o, h.size_of_image_field(), static_cast<uint32_t>(image_top));
    if (rs.characteristics & kSectionInitializedData) {
        int64_t size = int64_t{load32(o, h.size_of_initialized_data_field())} +
                       static_cast<int64_t>(rsrc_raw) - rs.raw_size;
        store32(o, h.size_of_initialized_data_field(),
                static_cast<uint32_t>(std::clamp<int64_t>(size, 0, 0xffffffff)));
    }
    if (h.symbol_table_offset && h.symbol_table_offset >= old_end)
        store32(o, h.symbol_table_field(),
                static_cast<uint32_t>(h.symbol_table_offset - old_end + new_end));
    store32(o, h.checksum_field(), pe_checksum(out));
    return out;
}

}  // namespace setup::pe
