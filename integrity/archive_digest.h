#pragma once
// The binding between an installer and its archive: the builder stores the SHA-256 of the
// archive file in Setup.exe as a raw-data (RCDATA) resource of this name, and Setup.exe
// checks the archive against it before the extractor runs. A Setup.exe without the resource
// does no check.
#include <optional>
#include <string>
#include <string_view>

#include "integrity/sha256.h"

namespace setup {

inline constexpr const char* kArchiveDigestResource = "DATASHA256";

// The resource's bytes: exactly the 64 lowercase hexadecimal digits of the digest, no line
// end.
inline std::string archive_digest_resource(const Sha256Digest& digest) {
    return to_hex(digest);
}

// The digest a resource's bytes carry; nullopt unless they are exactly 64 hexadecimal digits
// (a line end, blanks or a terminating zero make them malformed).
inline std::optional<Sha256Digest> parse_archive_digest(std::string_view resource_bytes) {
    return digest_from_hex(resource_bytes);
}

}  // namespace setup
