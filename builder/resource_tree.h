#pragma once
// The resource tree of a PE image, three levels deep as Windows reads it: type, then name, then
// language, whose entries point at data entries (RVA, size, code page). Each directory's header
// fields are kept so that a rewritten section carries them unchanged. Data is referenced, not
// copied: a tree must not outlive the image (and the replacement bytes) it points into.
#include <cstdint>
#include <span>
#include <vector>

#include "builder/pe_image.h"
#include "builder/resource_name.h"

namespace setup::pe {

struct DirectoryHeader {
    uint32_t characteristics = 0;
    uint32_t timestamp = 0;
    uint16_t major_version = 0;
    uint16_t minor_version = 0;
};

struct LanguageNode {
    uint16_t language = 0;
    uint32_t codepage = 0;
    std::span<const uint8_t> data;
};

struct NameNode {
    ResourceName name;
    DirectoryHeader header;
    std::vector<LanguageNode> languages;
};

struct TypeNode {
    ResourceName type;
    DirectoryHeader header;
    std::vector<NameNode> names;
};

struct ResourceTree {
    DirectoryHeader header;
    std::vector<TypeNode> types;
};

// Reads the tree whose root directory is the first byte of `section`, in the order the entries
// are stored. Throws PeError naming the entry and offset for: a structure past the section's raw
// data, a directory reached twice (a loop, or a shared subtree), a tree that is not exactly three
// levels deep, an id above 65535 or an empty name, data outside the section, or data adding up to
// more than a few times the section (entries pointing at the same bytes over and over).
ResourceTree read_resource_tree(std::span<const uint8_t> image, const Section& section);

// Puts every directory's entries in the order Windows' lookup needs (see resource_before).
// Throws PeError when two entries of one directory are the same resource.
void sort_resource_tree(ResourceTree& tree);

// Lays `tree` out as the contents of a resource section loaded at `section_rva`: the directories
// breadth first, then the data entries, then the names, then the data, each item aligned to 8
// bytes and every gap zero. Throws PeError when the result would not fit the 31-bit offsets of a
// resource directory.
std::vector<uint8_t> write_resource_section(const ResourceTree& tree, uint32_t section_rva);

}  // namespace setup::pe
