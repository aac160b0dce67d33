#pragma once
// JPEG pictures decoded with libjpeg, for the installer builder, which checks a packager's
// pictures on any system. Setup.exe itself decodes with Windows' own decoder (system_jpeg_win32.h).
#include <cstddef>
#include <cstdint>

#include "platform/error/runtime_error.h"
#include "ui/rgb_image.h"

namespace setup {

// Decodes a whole JPEG file held in memory: colour (YCbCr or RGB) and greyscale pictures,
// baseline or progressive. Throws RuntimeError naming the failure for empty, damaged or cut
// short data (also where the library would only warn and fill the rest with grey), for colour
// spaces it cannot show (CMYK) and for pictures over kMaxJpegPixels.
RgbImage decode_jpeg(const uint8_t* data, size_t size);

}  // namespace setup
