// The picture control, read back through WM_PRINTCLIENT on a hidden window, Windows' JPEG
// decoder against libjpeg's, the JPEG resources, and the main icon as Windows reads it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "ui/jpeg_image.h"
#include "ui/picture_win32.h"

using namespace setup;

namespace {

constexpr COLORREF kParentBrushColour = RGB(255, 0, 0);
constexpr uint32_t kUntouched = 0x00123456;
// Largest difference of a colour channel between Windows' decoder and libjpeg.
constexpr int kSystemJpegTolerance = 8;

std::string picture_file(const std::string& name) {
    return testing_support::read_file(
        testing_support::test_program_path(std::string(PICTURES_DIR) + "/" + name));
}

const uint8_t* bytes_of(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// As the program decodes its pictures.
std::shared_ptr<const RgbImage> decode_file(const std::string& name) {
    const std::string bytes = picture_file(name);
    return std::make_shared<RgbImage>(decode_system_jpeg(bytes_of(bytes), bytes.size()));
}

constexpr uint8_t kColour[3] = {200, 40, 90};

// A picture of one flat colour made with libjpeg's encoder: grey when `components` is 1.
std::string flat_jpeg(int width, int height, int components, const uint8_t* colour) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&c, &out, &out_size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
    for (size_t i = 0; i < row.size(); ++i) row[i] = colour[i % components];
    JSAMPROW rows[1] = {row.data()};
    while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, rows, 1);
    jpeg_finish_compress(&c);
    std::string bytes(reinterpret_cast<const char*>(out), out_size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
}

// A 32-bit top-down memory surface into which a control prints its client area.
class Surface {
  public:
    Surface(int width, int height)
        : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<uint32_t*>(bits);
        old_ = SelectObject(dc_, bitmap_.get());
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Shows only what this print paints.
    void print(HWND control) {
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = kUntouched;
        SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
        GdiFlush();
    }
    HDC dc() const { return dc_; }
    // 0x00RRGGBB
    uint32_t at(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    int width_, height_;
    HDC dc_;
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

uint32_t rgb_at(const RgbImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

LRESULT CALLBACK parent_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    static HBRUSH brush = CreateSolidBrush(kParentBrushColour);
    if (msg == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(brush);
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

// A hidden top-level window, as the wizard's pages are before they are shown; it gives its
// static controls a red brush.
class PictureTest : public testing::Test {
  protected:
    void SetUp() override {
        static const ATOM registered = [] {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = parent_proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "PictureTestParent";
            return RegisterClassExA(&wc);
        }();
        ASSERT_NE(registered, 0);
        parent_ = CreateWindowExA(0, "PictureTestParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
    }
    HWND parent_ = nullptr;
};

}  // namespace

TEST_F(PictureTest, BannerControlShowsThePicturesTopRowsAndNothingOutsideItsBounds) {
    const auto banner = decode_file("banner.jpg");
    ASSERT_EQ(banner->height, 314);
    TImage image(parent_, 101, 0, 0, 164, 296);
    image.set_picture(banner, false);
    EXPECT_EQ(image.width(), 164);
    EXPECT_EQ(image.height(), 296);

    Surface surface(200, 330);
    surface.print(image.handle());
    int wrong = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            const uint32_t want = x < 164 && y < 296 ? rgb_at(*banner, x, y) : kUntouched;
            if (surface.at(x, y) != want && wrong++ < 5)
                ADD_FAILURE() << "(" << x << ", " << y << ") is " << std::hex << surface.at(x, y)
                              << ", expected " << want;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(PictureTest, AutoSizeTakesThePicturesSizeAndMoveKeepsIt) {
    const auto header = load_jpeg_resource(GetModuleHandleA(nullptr), "JPG");
    TImage image(parent_, 102, 387, 0, 10, 10);
    image.set_picture(header, true);
    EXPECT_EQ(image.left(), 387);
    EXPECT_EQ(image.top(), 0);
    EXPECT_EQ(image.width(), 109);
    EXPECT_EQ(image.height(), 56);
    image.move(380, 8);
    EXPECT_EQ(image.left(), 380);
    EXPECT_EQ(image.top(), 8);
    EXPECT_EQ(image.width(), 109);
    EXPECT_EQ(image.height(), 56);
    EXPECT_EQ(GetDlgItem(parent_, 102), image.handle());

    Surface surface(109, 56);
    surface.print(image.handle());
    for (auto [x, y] : {std::pair{0, 0}, {108, 55}, {81, 15}, {54, 28}})
        EXPECT_EQ(surface.at(x, y), rgb_at(*header, x, y)) << x << ", " << y;
}

TEST_F(PictureTest, WhatThePictureLeavesUncoveredGetsTheParentsBrush) {
    const auto header = decode_file("header.jpg");
    TImage image(parent_, 103, 0, 0, 150, 80);
    Surface surface(150, 80);
    surface.print(image.handle());  // no picture yet
    EXPECT_EQ(surface.at(0, 0), 0xFF0000u);
    EXPECT_EQ(surface.at(149, 79), 0xFF0000u);

    image.set_picture(header, false);
    surface.print(image.handle());
    EXPECT_EQ(surface.at(10, 10), rgb_at(*header, 10, 10));
    EXPECT_EQ(surface.at(108, 55), rgb_at(*header, 108, 55));
    EXPECT_EQ(surface.at(109, 10), 0xFF0000u);  // right of it
    EXPECT_EQ(surface.at(10, 56), 0xFF0000u);   // below it
    EXPECT_EQ(surface.at(149, 79), 0xFF0000u);

    // An image whose pixels do not match its size is refused; the control keeps its picture.
    auto broken = std::make_shared<RgbImage>(*header);
    broken->pixels.pop_back();
    EXPECT_THROW(image.set_picture(broken, true), RuntimeError);
    EXPECT_EQ(image.picture(), header);
    EXPECT_EQ(image.width(), 150);
}

TEST_F(PictureTest, TheControlOutlivesItsWindowAndTakesItAlongOtherwise) {
    HWND first;
    {
        TImage image(parent_, 104, 0, 0, 20, 20);
        first = image.handle();
        ASSERT_TRUE(IsWindow(first));
    }
    EXPECT_FALSE(IsWindow(first));

    TImage orphan(parent_, 105, 0, 0, 20, 20);
    DestroyWindow(std::exchange(parent_, nullptr));
    EXPECT_EQ(orphan.handle(), nullptr);
    EXPECT_EQ(orphan.width(), 0);
    orphan.set_picture(decode_file("header.jpg"), true);  // nothing to show it in, no harm
}

// Windows' decoder and libjpeg (which the installer builder checks the pictures with) may
// round differently, but must agree on size, orientation, channel order and row layout.
TEST(SystemJpeg, DecodesTheInstallersPicturesAsLibjpegDoes) {
    for (const char* name : {"banner.jpg", "header.jpg"}) {
        SCOPED_TRACE(name);
        const std::string bytes = picture_file(name);
        const RgbImage system = decode_system_jpeg(bytes_of(bytes), bytes.size());
        const RgbImage reference = decode_jpeg(bytes_of(bytes), bytes.size());
        ASSERT_EQ(system.width, reference.width);
        ASSERT_EQ(system.height, reference.height);
        ASSERT_EQ(system.pixels.size(), reference.pixels.size());
        int largest = 0;
        for (size_t i = 0; i < system.pixels.size(); ++i)
            largest = std::max(largest, std::abs(system.pixels[i] - reference.pixels[i]));
        EXPECT_LE(largest, kSystemJpegTolerance) << "largest difference";
        // Padding included: both leave it zero (header.jpg's rows are 327 bytes of 328).
        for (int y = 0; y < system.height; ++y)
            for (size_t i = system.width * 3u; i < system.stride(); ++i)
                ASSERT_EQ(system.pixels[y * system.stride() + i], 0) << "row " << y;
    }
}

TEST(SystemJpeg, RefusesWhatIsNoJpegOrIsDamagedWithTheReason) {
    const std::string header = picture_file("header.jpg");
    // Height and width in the frame header (SOF0 at 158; precision at 163).
    auto sized = [&](uint16_t width, uint16_t height) {
        std::string s = header;
        s[164] = char(height >> 8), s[165] = char(height & 0xFF);
        s[166] = char(width >> 8), s[167] = char(width & 0xFF);
        return s;
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty", "", "Not a JPEG file"},
        {"another kind of picture", "GIF89a, a picture of another kind", "Not a JPEG file"},
        // The OLE decoder itself would show an icon.
        {"an icon", picture_file("setup.ico"), "Not a JPEG file"},
        {"start marker only", "\xFF\xD8\xFF", "OleLoadPicture failed"},
        {"height 0", sized(109, 0), "OleLoadPicture failed"},
        // Refused after decoding, before its pixels are copied.
        {"a row over the pixel limit", flat_jpeg(4096, 4097, 3, kColour),
         "picture too large (4096 x 4097)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            decode_system_jpeg(bytes_of(c.bytes), c.bytes.size());
            ADD_FAILURE() << "decoded without an error";
        } catch (const RuntimeError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("obrazu JPEG: "), std::string::npos) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
    EXPECT_THROW(decode_system_jpeg(nullptr, 0), RuntimeError);
}

TEST(SystemJpeg, GreyPicturesAndPicturesAtThePixelLimitDecode) {
    const struct {
        const char* name;
        int width, height, components;
    } cases[] = {
        {"grey, with padded rows", 41, 7, 1},
        {"at the limit", 4096, 4096, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = flat_jpeg(c.width, c.height, c.components, kColour);
        const RgbImage image = decode_system_jpeg(bytes_of(bytes), bytes.size());
        ASSERT_EQ(image.width, c.width);
        ASSERT_EQ(image.height, c.height);
        ASSERT_EQ(image.pixels.size(), image.stride() * c.height);
        const uint8_t* p = image.at(c.width / 2, c.height / 2);
        const int want_red = kColour[0], want_blue = c.components == 1 ? kColour[0] : kColour[2];
        EXPECT_NEAR(p[2], want_red, 3);
        EXPECT_NEAR(p[0], want_blue, 3);
        for (int y = 0; y < c.height && image.stride() > c.width * 3u; ++y) {
            ASSERT_EQ(image.pixels[(y + 1) * image.stride() - 1], 0) << "padding of row " << y;
        }
    }
}

TEST(JpegResource, MissingOrUndecodableResourcesAreNamed) {
    const struct {
        const char* name;
        const char* message_part;
    } cases[] = {
        {"NOSUCH", "NOSUCH"},
        {"NOTJPEG", "NOTJPEG"},
        {"CUT", "CUT"},  // the header picture cut inside its tables
        {MAKEINTRESOURCEA(77), "#77"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message_part);
        try {
            load_jpeg_resource(GetModuleHandleA(nullptr), c.name);
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
        }
    }
}

// The main icon: its directory, each image's bitmap header, and each image as Windows draws it
// (transparent corner, green arrow, box below it).
TEST(MainIcon, HoldsSixImagesThatWindowsDrawsWithTransparency) {
    const std::string ico = picture_file("setup.ico");
    auto u8 = [&](size_t at) { return static_cast<unsigned>(static_cast<uint8_t>(ico.at(at))); };
    auto u16 = [&](size_t at) { return u8(at) | u8(at + 1) << 8; };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    ASSERT_GE(ico.size(), 6u);
    ASSERT_EQ(u16(0), 0u);
    ASSERT_EQ(u16(2), 1u);  // icon, not cursor
    ASSERT_EQ(u16(4), 6u);

    const struct {
        unsigned size, bpp;
    } expected[] = {{32, 4}, {32, 8}, {32, 32}, {16, 4}, {16, 8}, {16, 32}};
    for (unsigned i = 0; i < 6; ++i) {
        const unsigned size = expected[i].size, bpp = expected[i].bpp;
        SCOPED_TRACE(std::to_string(size) + " px, " + std::to_string(bpp) + " bpp");
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(u8(entry), size);
        EXPECT_EQ(u8(entry + 1), size);
        EXPECT_EQ(u8(entry + 2), bpp == 4 ? 16u : 0u);
        EXPECT_EQ(u16(entry + 4), 1u);
        EXPECT_EQ(u16(entry + 6), bpp);
        const unsigned bytes = u32(entry + 8), offset = u32(entry + 12);
        ASSERT_LE(offset + bytes, ico.size());

        // BITMAPINFOHEADER: double height for the XOR and AND masks; the sizes add up.
        EXPECT_EQ(u32(offset), 40u);
        EXPECT_EQ(u32(offset + 4), size);
        EXPECT_EQ(u32(offset + 8), 2 * size);
        EXPECT_EQ(u16(offset + 14), bpp);
        const unsigned palette = bpp <= 8 ? 4u << bpp : 0;
        const unsigned xor_bytes = (size * bpp + 31) / 32 * 4 * size;
        const unsigned and_bytes = (size + 31) / 32 * 4 * size;
        EXPECT_EQ(bytes, 40 + palette + xor_bytes + and_bytes);

        HICON icon = CreateIconFromResourceEx(
            reinterpret_cast<BYTE*>(const_cast<char*>(ico.data()) + offset), bytes, TRUE,
            0x00030000, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        Surface surface(size, size);
        RECT all{0, 0, static_cast<LONG>(size), static_cast<LONG>(size)};
        FillRect(surface.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIconEx(surface.dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        DestroyIcon(icon);
        auto channels = [](uint32_t c) {
            return std::array<int, 3>{int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF)};
        };
        EXPECT_EQ(surface.at(0, 0), 0xFFFFFFu);
        EXPECT_EQ(surface.at(size - 1, 0), 0xFFFFFFu);
        // The arrow's shaft, at (16, 6) of the motif's 32 units: green above all.
        const auto [ar, ag, ab] = channels(surface.at(size / 2, size * 6 / 32));
        EXPECT_GT(ag, ar + 40);
        EXPECT_GT(ag, ab + 40);
        // The box's front, at (8, 26): red and green well above blue (tan, or olive at 4 bpp).
        const auto [br, bg, bb] = channels(surface.at(size / 4, size * 26 / 32));
        EXPECT_GT(br, bb + 40);
        EXPECT_GT(bg, bb + 40);
    }
}
