#pragma once
// CRC-32 (IEEE, as in zip and xz). Updating uses liblzma's table-driven routine; combining
// joins the CRCs of two adjacent pieces, so the pieces of one file decoded by different
// threads can be checked against the file's single stored CRC.
#include <cstddef>
#include <cstdint>

namespace uha {

uint32_t crc32_update(uint32_t crc, const void* data, size_t size);

// CRC of A followed by B, from crc(A), crc(B) and the length of B.
uint32_t crc32_combine(uint32_t crc_a, uint32_t crc_b, uint64_t length_b);

}  // namespace uha
