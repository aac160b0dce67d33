// The JPEG decoder: the installer's own pictures, pictures made here with libjpeg's encoder,
// and damaged data, which must be refused without a crash or a leak (also under the
// sanitizers).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "ui/jpeg_image.h"

using namespace setup;

namespace {

struct Rgb {
    int r, g, b;
};

std::string picture_file(const std::string& name) {
    return testing_support::read_file(
        testing_support::test_program_path(std::string(PICTURES_DIR) + "/" + name));
}

RgbImage decode(const std::string& bytes) {
    return decode_jpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

testing::AssertionResult colour_near(const RgbImage& image, int x, int y, Rgb want, int tolerance) {
    const uint8_t* p = image.at(x, y);
    const Rgb got{p[2], p[1], p[0]};
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g << ", " << got.b
           << "), expected about (" << want.r << ", " << want.g << ", " << want.b << ")";
}

// The message of the RuntimeError that decoding throws; fails the test when none is thrown.
std::string refusal(const std::string& bytes) {
    try {
        decode(bytes);
    } catch (const RuntimeError& e) {
        return e.what();
    }
    ADD_FAILURE() << "decoded without an error";
    return "";
}

// A picture of four flat quadrants, made with libjpeg's own encoder, at full chroma
// resolution so that the colours survive. Grey pictures use the quadrants' green values.
enum class Kind { Colour, Progressive, Grey, Cmyk };
constexpr Rgb kQuadrants[4] = {{220, 40, 40}, {40, 200, 60}, {30, 60, 210}, {240, 220, 60}};

std::string encode(int width, int height, Kind kind) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&c, &out, &out_size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = kind == Kind::Grey ? 1 : kind == Kind::Cmyk ? 4 : 3;
    c.in_color_space = kind == Kind::Grey ? JCS_GRAYSCALE : kind == Kind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    for (int i = 0; i < c.num_components; ++i)
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    if (kind == Kind::Progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * c.input_components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb q = kQuadrants[(y >= height / 2) * 2 + (x >= width / 2)];
            JSAMPLE* p = &row[static_cast<size_t>(x) * c.input_components];
            if (kind == Kind::Grey) {
                p[0] = q.g;
            } else if (kind == Kind::Cmyk) {
                p[0] = 255 - q.r, p[1] = 255 - q.g, p[2] = 255 - q.b, p[3] = 0;
            } else {
                p[0] = q.r, p[1] = q.g, p[2] = q.b;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    std::string bytes(reinterpret_cast<const char*>(out), out_size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
}

// Offset of the frame header's precision byte (after the SOF0/SOF2 marker and its length).
size_t frame_header(const std::string& jpeg) {
    size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[at]) == 0xFF) {
        const auto marker = static_cast<uint8_t>(jpeg[at + 1]);
        if (marker == 0xC0 || marker == 0xC2) return at + 4;
        at += 2 + (static_cast<uint8_t>(jpeg[at + 2]) << 8 | static_cast<uint8_t>(jpeg[at + 3]));
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

}  // namespace

TEST(DecodeJpeg, TheInstallersPicturesKeepTheirSizeOrientationAndColours) {
    struct Point {
        int x, y;
        Rgb colour;
    };
    const struct {
        const char* file;
        int width, height;
        std::vector<Point> points;
    } pictures[] = {
        // Navy at the top, light blue at the bottom of the shown rows, lighter diamonds.
        {"banner.jpg",
         164,
         314,
         {{2, 2, {22, 49, 103}}, {2, 290, {80, 148, 206}}, {82, 118, {103, 134, 175}}}},
        // Accent blue at the left, navy at the right, the white arrow of the emblem.
        {"header.jpg",
         109,
         56,
         {{1, 28, {63, 158, 222}}, {107, 2, {22, 49, 103}}, {81, 15, {244, 246, 249}}}},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.file);
        const RgbImage image = decode(picture_file(picture.file));
        ASSERT_EQ(image.width, picture.width);
        ASSERT_EQ(image.height, picture.height);
        ASSERT_EQ(image.pixels.size(), image.stride() * image.height);
        for (const Point& p : picture.points)
            EXPECT_TRUE(colour_near(image, p.x, p.y, p.colour, 10));
    }
}

TEST(DecodeJpeg, ColourAndGreyPicturesBecomePaddedBgrRows) {
    const struct {
        const char* name;
        Kind kind;
        int width;  // 3 x width is rarely a multiple of 4: the rows need padding
    } cases[] = {
        {"baseline colour", Kind::Colour, 42},
        {"progressive colour", Kind::Progressive, 41},
        {"grey", Kind::Grey, 43},
        {"no padding", Kind::Colour, 40},
    };
    const int height = 24;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RgbImage image = decode(encode(c.width, height, c.kind));
        ASSERT_EQ(image.width, c.width);
        ASSERT_EQ(image.height, height);
        const size_t stride = (c.width * 3 + 3) / 4 * 4;
        ASSERT_EQ(image.stride(), stride);
        ASSERT_EQ(image.pixels.size(), stride * height);
        for (int q = 0; q < 4; ++q) {
            const int x = q % 2 ? c.width * 3 / 4 : c.width / 4,
                      y = q / 2 ? height * 3 / 4 : height / 4;
            Rgb want = kQuadrants[q];
            if (c.kind == Kind::Grey) want = {want.g, want.g, want.g};
            EXPECT_TRUE(colour_near(image, x, y, want, 6)) << "quadrant " << q;
        }
        for (int y = 0; y < height; ++y)
            for (size_t i = c.width * 3; i < stride; ++i)
                ASSERT_EQ(image.pixels[y * stride + i], 0) << "padding of row " << y;
    }
}

TEST(DecodeJpeg, ForeignDataAndDamagedHeadersAreRefusedWithTheReason) {
    const std::string good = encode(32, 16, Kind::Colour);
    const size_t frame = frame_header(good);  // precision, height, width, components, ...
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        std::string bad = good;
        for (uint8_t b : bytes) bad[frame + at++] = static_cast<char>(b);
        return bad;
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty", "", "Empty input"},
        {"not a JPEG", "GIF89a, a picture of another kind", "Not a JPEG file"},
        {"start marker only", "\xFF\xD8", "Premature end of JPEG file"},
        {"CMYK, which has no conversion to RGB", encode(16, 16, Kind::Cmyk),
         "Unsupported color conversion"},
        {"height 0", patched(1, {0, 0}), "Empty JPEG image"},
        // Refused before anything is allocated for it.
        {"60000 x 60000", patched(1, {0xEA, 0x60, 0xEA, 0x60}), "picture too large"},
        {"12-bit samples", patched(0, {12}), "Unsupported JPEG data precision"},
        {"first component sampled 0 x 0", patched(7, {0}), "Bogus sampling factors"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = refusal(c.bytes);
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
    EXPECT_THROW(decode_jpeg(nullptr, 0), RuntimeError);
}

// The library itself would fill a cut-short picture with grey and skip damaged data with a
// warning; the decoder refuses both.
TEST(DecodeJpeg, EveryCutOfAPictureAndAMarkerInItsDataAreRefused) {
    const std::string banner = picture_file("banner.jpg");
    ASSERT_GT(banner.size(), 1000u);
    std::vector<size_t> cuts = {banner.size() - 1, banner.size() - 2, banner.size() / 2};
    for (size_t cut = 1; cut < banner.size(); cut += 97) cuts.push_back(cut);
    for (size_t cut : cuts) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        EXPECT_THROW(decode(banner.substr(0, cut)), RuntimeError);
    }

    std::string early_end = banner;
    early_end[banner.size() / 2] = '\xFF';
    early_end[banner.size() / 2 + 1] = '\xD9';
    EXPECT_NE(refusal(early_end).find("Corrupt JPEG data"), std::string::npos);
}

// Damage that the format cannot notice gives a picture of the right size; nothing else may
// come out (no crash, no other exception, no leak under the sanitizers).
TEST(DecodeJpeg, RandomDamageGivesAnErrorOrAWholePicture) {
    const std::string banner = picture_file("banner.jpg");
    std::mt19937 random(20240611);
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bad = banner;
        for (int n = 1 + round % 4; n > 0; --n)
            bad[random() % bad.size()] = static_cast<char>(random() & 0xFF);
        try {
            const RgbImage image = decode(bad);
            ASSERT_GT(image.width, 0);
            ASSERT_GT(image.height, 0);
            ASSERT_EQ(image.pixels.size(), image.stride() * image.height);
        } catch (const RuntimeError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}
