#pragma once
// JPEG pictures decoded by Windows itself (the OLE picture object of oleaut32, present on
// every Windows the installer runs on), so that Setup.exe carries no decoder of its own.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/rgb_image.h"

namespace setup {

// Decodes a whole JPEG file held in memory into a top-down BGR image. Data that does not
// start as a JPEG does (the OLE decoder would take icons, bitmaps and metafiles too) is
// refused before the decoder sees it. Throws RuntimeError "Nie można odczytać obrazu JPEG:
// <reason>" for such data, for what the decoder refuses (naming its result), and for pictures
// over kMaxJpegPixels, which are refused before their pixels are copied. How much damage the
// system's decoder tolerates is its own: a picture cut short may come out with its missing
// rows filled. The installer builder checks the pictures strictly before they are carried.
RgbImage decode_system_jpeg(const uint8_t* data, size_t size);

// The format of a 24-bit DIB laid out as RgbImage keeps its pixels: rows top-down.
inline BITMAPINFO rgb_image_format(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace setup
