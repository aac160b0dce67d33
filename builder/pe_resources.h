#pragma once
// A PE image's resources, read and stamped without Windows: the builder reads the installer's
// stub (the project's own Setup.exe) and writes a copy carrying a packager's script, pictures
// and programs. No Windows call and no <windows.h>: the same code runs on Linux and Windows.
//
// Stamping rewrites the resource section whole and moves only what lies after it: the base
// relocations (the one section a linker puts after .rsrc in our stub) and any data appended to
// the file. docs/pe-resources.md tells what is rewritten, what moves and what is refused.
#include <cstdint>
#include <span>
#include <vector>

#include "builder/pe_error.h"
#include "builder/resource_name.h"

namespace setup::pe {

struct Resource {
    ResourceName type;
    ResourceName name;
    uint16_t language = 0;
    uint32_t codepage = 0;
    std::vector<uint8_t> data;
};

// New contents for the resource `type` `name` (for example RCDATA "SETUP").
struct Replacement {
    ResourceName type;
    ResourceName name;
    std::vector<uint8_t> data;
};

// Every resource of a PE32 or PE32+ image, flattened in the order the tree stores them (type, name,
// language). An image without a resource table has none. Throws PeError for a damaged image or
// tree (see read_resource_tree in resource_tree.h for what is checked).
std::vector<Resource> read_resources(std::span<const uint8_t> image);

// A copy of `image` with the resources of `changes`:
// - a resource that exists (type and name, names without regard to case) gets the new data in
//   every language it has, each keeping its language and code page;
// - one that does not is added in the language and code page of the image's first RCDATA
//   resource, or language 0 and code page 0 when it has none.
// Every other resource keeps its bytes. The resource section is laid out anew in the order
// Windows' lookup needs; the section after it (the base relocations) and the overlay move with
// its new size; the section sizes, the resource and relocation directories, SizeOfImage,
// SizeOfInitializedData and the checksum are set to match. Everything before the resource
// section is copied unchanged but for those header fields. The same inputs give the same bytes.
// Throws PeError, and writes nothing, for: a damaged image; a signed image (its signature would
// no longer match: sign after stamping); an image without a resource table; a section other
// than the base relocations after the resource section, or any other structure (a data
// directory, debug data, the COFF symbol table, a relocation target) in or after it; the same
// resource given twice in `changes`.
std::vector<uint8_t> stamp_resources(std::span<const uint8_t> image,
                                     const std::vector<Replacement>& changes);

// The optional header's CheckSum of `image`, as the loader and MapFileAndCheckSum compute it
// (declared in pe_image.h): stamp_resources stores it.
uint32_t pe_checksum(std::span<const uint8_t> image);

}  // namespace setup::pe
