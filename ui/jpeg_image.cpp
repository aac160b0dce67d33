#include "ui/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace setup {

namespace {

// How errors leave libjpeg. The library reports a fatal error by calling error_exit, which
// must not return. Throwing a C++ exception from there would unwind through the library's C
// frames, which nothing guarantees to carry unwind information (C built without -fexceptions,
// as the cross-built static library is): the throw could end in std::terminate. A longjmp
// needs nothing from those frames, and it is well defined as long as every frame it leaves
// holds only objects without destructors. So the frames from the setjmp (run) down to the
// library (read_picture, and the handlers below) hold C data only, the state they share lives
// in a trivially destructible Decoder, and the one C++ object they fill, the RgbImage, belongs
// to the caller's frame above the setjmp, which the jump never leaves.
struct ErrorManager {
    jpeg_error_mgr base;  // first: libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager errors;
};
static_assert(std::is_trivially_destructible_v<Decoder>);

[[noreturn]] void fail(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// After a warning the library goes on: a file cut short gets grey rows, damaged data is
// skipped to the next marker and shows as garbage. The pictures are the installer's own, so
// damage of any kind is an error. Levels 0 and above are trace messages, never shown.
void on_message(j_common_ptr info, int level) {
    if (level < 0) fail(info);
}

[[noreturn]] void refuse(Decoder& d, const char* what, unsigned width, unsigned height) {
    std::snprintf(d.errors.message, sizeof d.errors.message, "%s (%u x %u)", what, width, height);
    std::longjmp(d.errors.jump, 1);
}

// Everything that may jump back to run(); see ErrorManager.
void read_picture(Decoder& d, const uint8_t* data, size_t size, RgbImage& image) {
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.info, TRUE);
    // Colour conversion to RGB is left to the library; grey is widened here, as not every
    // libjpeg converts grey to RGB. CMYK and YCCK have no conversion and fail in
    // jpeg_start_decompress with the library's message.
    const bool grey = d.info.jpeg_color_space == JCS_GRAYSCALE;
    d.info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    const unsigned width = d.info.image_width, height = d.info.image_height;
    if (static_cast<long long>(width) * height > kMaxJpegPixels)
        refuse(d, "picture too large", width, height);
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != width || d.info.output_height != height ||
        d.info.output_components != (grey ? 1 : 3))
        refuse(d, "unexpected output", d.info.output_width, d.info.output_height);

    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    const size_t stride = image.stride();
    image.pixels.assign(stride * height, 0);
    // Freed with the decoder, also when a later call jumps out.
    JSAMPARRAY grey_row = grey ? (*d.info.mem->alloc_sarray)(
                                     reinterpret_cast<j_common_ptr>(&d.info), JPOOL_IMAGE, width, 1)
                               : nullptr;
    while (d.info.output_scanline < height) {
        uint8_t* row = image.pixels.data() + d.info.output_scanline * stride;
        JSAMPROW target = grey ? grey_row[0] : row;
        // A memory source never suspends; no row read would mean no progress.
        if (jpeg_read_scanlines(&d.info, &target, 1) != 1) refuse(d, "no rows read", width, height);
        for (unsigned x = 0; x < width; ++x) {
            uint8_t* pixel = row + 3 * x;
            if (grey)
                pixel[0] = pixel[1] = pixel[2] = grey_row[0][x];
            else
                std::swap(pixel[0], pixel[2]);
        }
    }
    // Reads on to the end marker, so that damage after the last row is found too.
    jpeg_finish_decompress(&d.info);
}

// False when the library failed, with its message in d.errors.message.
bool run(Decoder& d, const uint8_t* data, size_t size, RgbImage& image) {
    if (setjmp(d.errors.jump)) return false;
    read_picture(d, data, size, image);
    return true;
}

}  // namespace

RgbImage decode_jpeg(const uint8_t* data, size_t size) {
    // jpeg_mem_src takes the size as unsigned long: 32 bits on Windows, also where size_t has
    // 64 (the 64-bit test build). A larger buffer would be read cut short, so it is refused.
    if constexpr (sizeof(size_t) > sizeof(unsigned long)) {
        if (size > std::numeric_limits<unsigned long>::max())
            throw RuntimeError("Nie można odczytać obrazu JPEG: data too large (" +
                               std::to_string(size) + " bytes)");
    }
    Decoder d{};  // zeroed: jpeg_destroy_decompress of a never-created decoder does nothing
    d.info.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = fail;
    d.errors.base.emit_message = on_message;
    struct Release {
        Decoder& d;
        ~Release() { jpeg_destroy_decompress(&d.info); }
    } release{d};

    RgbImage image;
    if (!run(d, data, size, image))
        throw RuntimeError(std::string("Nie można odczytać obrazu JPEG: ") + d.errors.message);
    return image;
}

}  // namespace setup
