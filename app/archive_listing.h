#pragma once
// The paths an archive will unpack, read from its table before the extractor runs, so that
// a run that is cancelled or fails can tell what it made from what was there.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "install/undo_ledger.h"

namespace setup {

struct ArchiveListing {
    std::vector<ArchivedPath> paths;  // in the ANSI code page, as the installer names files
    // Names the ANSI code page cannot spell: the installer cannot name them to take them back.
    std::vector<std::string> unnamed;
    uint64_t unpacked_bytes = 0;  // the files' sizes, added up
};

// The table of the archive held open by `archive` (read through that handle, so what is
// listed is what the extractor reads); throws naming `archive_path` when it is no sound
// archive.
ArchiveListing list_archive(HANDLE archive, const std::string& archive_path);

}  // namespace setup
