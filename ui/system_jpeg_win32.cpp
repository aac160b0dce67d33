#include "ui/system_jpeg_win32.h"

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/win_handle.h"

namespace setup {

namespace {

[[noreturn]] void refuse(const std::string& reason) {
    throw RuntimeError("Nie można odczytać obrazu JPEG: " + reason);
}

// "0x" and eight upper-case hex digits. Not printf: its implementation (with floating point)
// would be a tenth of a small program.
std::string hex_code(unsigned long code) {
    std::string text = "0x00000000";
    for (size_t i = text.size(); code != 0 && i > 2; code >>= 4)
        text[--i] = "0123456789ABCDEF"[code & 15];
    return text;
}

[[noreturn]] void refuse(const char* call, HRESULT result) {
    const std::string code = hex_code(static_cast<unsigned long>(result));
    refuse(std::string(call) + " failed (" + code + ": " +
           platform::system_message(static_cast<DWORD>(result)) + ")");
}

// A stream over a copy of the bytes: CreateStreamOnHGlobal needs memory from GlobalAlloc,
// which the stream frees when it is released.
platform::UniqueCom<IStream> stream_over(const uint8_t* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) refuse("no memory for " + std::to_string(size) + " bytes");
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        refuse("GlobalLock: " + platform::system_message(GetLastError()));
    }
    std::memcpy(target, data, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    const HRESULT result = CreateStreamOnHGlobal(memory, TRUE, &stream);
    if (FAILED(result)) {
        GlobalFree(memory);
        refuse("CreateStreamOnHGlobal", result);
    }
    return platform::UniqueCom<IStream>(stream);
}

}  // namespace

RgbImage decode_system_jpeg(const uint8_t* data, size_t size) {
    // Every JPEG file starts with the start-of-image marker and the next marker's 0xFF.
    if (!data || size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF)
        refuse("Not a JPEG file (no start-of-image marker)");
    // OleLoadPicture takes the size as a LONG.
    if (size > static_cast<size_t>(LONG_MAX))
        refuse("data too large (" + std::to_string(size) + " bytes)");

    const auto stream = stream_over(data, size);
    IPicture* loaded = nullptr;
    HRESULT result = OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                    reinterpret_cast<void**>(&loaded));
    if (FAILED(result) || !loaded) refuse("OleLoadPicture", FAILED(result) ? result : E_POINTER);
    const platform::UniqueCom<IPicture> picture(loaded);

    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(result = picture.get()->get_Type(&type))) refuse("IPicture::get_Type", result);
    if (type != PICTYPE_BITMAP) refuse("decoded as picture type " + std::to_string(type));
    if (FAILED(result = picture.get()->get_Handle(&handle))) refuse("IPicture::get_Handle", result);
    // The bitmap belongs to the picture object and goes with it.
    const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP shape{};
    if (!bitmap || !GetObjectA(bitmap, sizeof shape, &shape))
        refuse("the decoded bitmap cannot be read");
    const long long width = shape.bmWidth,
                    height = shape.bmHeight < 0 ? -shape.bmHeight : shape.bmHeight;
    const std::string shape_text =
        " (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (width <= 0 || height <= 0) refuse("empty picture" + shape_text);
    if (width * height > kMaxJpegPixels) refuse("picture too large" + shape_text);

    RgbImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(image.stride() * image.height, 0);
    BITMAPINFO format = rgb_image_format(image.width, image.height);
    int rows = 0;
    {
        const platform::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        if (!dc) refuse("CreateCompatibleDC: " + platform::system_message(GetLastError()));
        rows = GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(),
                         &format, DIB_RGB_COLORS);
    }
    if (rows != image.height)
        refuse("GetDIBits copied " + std::to_string(rows) + " rows" + shape_text);
    // GetDIBits leaves nothing promised in a row's padding; RgbImage's padding is zero.
    const size_t used = static_cast<size_t>(image.width) * 3, stride = image.stride();
    if (used != stride)
        for (size_t row = 0; row < static_cast<size_t>(image.height); ++row)
            std::memset(image.pixels.data() + row * stride + used, 0, stride - used);
    return image;
}

}  // namespace setup
