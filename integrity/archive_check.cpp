#include "integrity/archive_check.h"

#include <exception>

#include "integrity/archive_digest.h"

namespace setup {

ArchiveCheck check_archive(const std::optional<std::string>& digest_resource,
                           const std::string& archive_path,
                           const std::function<bool()>& between_chunks) {
    if (!digest_resource) return ArchiveCheck::unbound;
    // A malformed digest cannot vouch for any archive: the installer was not built as it
    // should have been, so its archive is not trusted either.
    const std::optional<Sha256Digest> expected = parse_archive_digest(*digest_resource);
    if (!expected) return ArchiveCheck::damaged;
    std::optional<Sha256Digest> actual;
    try {
        actual = sha256_file(archive_path, between_chunks);
    } catch (const std::exception&) {
        // An archive that cannot be read cannot be unpacked either, and the user is told
        // which file. A system that cannot hash (no SHA-256 provider) lands here too: an
        // archive it cannot vouch for is refused rather than trusted.
        return ArchiveCheck::damaged;
    }
    if (!actual) return ArchiveCheck::abandoned;
    return *actual == *expected ? ArchiveCheck::intact : ArchiveCheck::damaged;
}

}  // namespace setup
