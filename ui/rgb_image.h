#pragma once
// Decoded pictures, their pixels laid out as a top-down 24-bit DIB's, ready to copy.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace setup {

// A decoded picture: rows top-down, 3 bytes per pixel in B, G, R order, each row padded with
// zero bytes to a multiple of 4 bytes (the layout of a 24-bit DIB section's rows).
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    // Bytes from one row to the next.
    static size_t stride_of(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }
    size_t stride() const { return stride_of(width); }
    // The first byte (blue) of the pixel at (x, y); no bounds check.
    const uint8_t* at(int x, int y) const {
        return pixels.data() + static_cast<size_t>(y) * stride() + static_cast<size_t>(x) * 3;
    }
};

// Pictures larger than this are refused before anything is allocated for them: the wizard's
// own are tiny, and a damaged header must not ask for gigabytes.
inline constexpr long long kMaxJpegPixels = 16LL * 1024 * 1024;

}  // namespace setup
