#pragma once
// Setup.exe's check of its archive against the digest the builder bound into it, before the
// extractor runs: a damaged or swapped archive is refused whole rather than unpacked as far
// as it goes.
#include <functional>
#include <optional>
#include <string>

namespace setup {

enum class ArchiveCheck {
    unbound,    // the installer carries no digest: nothing to check
    intact,     // the archive's digest is the one carried
    damaged,    // it differs, the carried digest is malformed, or the archive cannot be
                // read or hashed
    abandoned,  // `between_chunks` returned false before the end
};

// `digest_resource` is the bytes of the installer's kArchiveDigestResource, nullopt when it
// has none. `between_chunks` runs after each chunk of the archive read (see sha256_file).
ArchiveCheck check_archive(const std::optional<std::string>& digest_resource,
                           const std::string& archive_path,
                           const std::function<bool()>& between_chunks);

}  // namespace setup
