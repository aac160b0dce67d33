#include "uha/src/crc32.h"

#include <lzma.h>

namespace uha {

uint32_t crc32_update(uint32_t crc, const void* data, size_t size) {
    return lzma_crc32(static_cast<const uint8_t*>(data), size, crc);
}

namespace {

// Multiplication of a 32x32 matrix over GF(2) with a vector.
uint32_t times(const uint32_t* matrix, uint32_t vec) {
    uint32_t sum = 0;
    for (int i = 0; vec != 0; ++i, vec >>= 1)
        if (vec & 1) sum ^= matrix[i];
    return sum;
}

void square(uint32_t* result, const uint32_t* matrix) {
    for (int n = 0; n < 32; ++n) result[n] = times(matrix, matrix[n]);
}

}  // namespace

// Appending length_b zero bytes to A is a linear map on its CRC register; it is applied by
// repeated squaring of the one-zero-bit operator, one square per bit of the length.
uint32_t crc32_combine(uint32_t crc_a, uint32_t crc_b, uint64_t length_b) {
    if (length_b == 0) return crc_a;
    uint32_t even[32];
    uint32_t odd[32];
    odd[0] = 0xEDB88320u;  // the reflected polynomial: the operator for one zero bit
    uint32_t row = 1;
    for (int n = 1; n < 32; ++n) {
        odd[n] = row;
        row <<= 1;
    }
    square(even, odd);  // two zero bits
    square(odd, even);  // four zero bits
    do {
        square(even, odd);  // first pass: one zero byte
        if (length_b & 1) crc_a = times(even, crc_a);
        length_b >>= 1;
        if (length_b == 0) break;
        square(odd, even);
        if (length_b & 1) crc_a = times(odd, crc_a);
        length_b >>= 1;
    } while (length_b != 0);
    return crc_a ^ crc_b;
}

}  // namespace uha
