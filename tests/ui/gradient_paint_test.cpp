// The gradient band under Wine: paint_gradient into a memory DC read back pixel by pixel, and
// the TGradient control on a top-level window of this process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/TGradient_win32.h"
#include "ui/gradient_colors.h"

using namespace setup;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0xFF0000;      // 0x00BBGGRR
constexpr uint32_t kSentinel = 0x5A3C1E;  // what the pixels hold before painting

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

// A 32-bit top-down DIB section selected into a memory DC, filled with kSentinel.
class Surface {
  public:
    Surface(int width, int height) : width_(width), height_(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;  // top-down: row 0 first
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
        if (bits_)
            for (int i = 0; i < width * height; ++i)
                static_cast<uint32_t*>(bits_)[i] = to_dib(kSentinel);
    }
    ~Surface() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool ok() const { return dc_ && bitmap_ && bits_ && old_; }
    HDC dc() const { return dc_; }
    // The pixel as 0x00BBGGRR.
    uint32_t at(int x, int y) const {
        GdiFlush();
        const uint32_t p = static_cast<const uint32_t*>(bits_)[y * width_ + x];  // 0x00RRGGBB
        return rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    static uint32_t to_dib(uint32_t c) {
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    void* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

std::string hex(uint32_t c) {
    char text[16];
    wsprintfA(text, "%06X", c);
    return text;
}

struct Sample {
    int index;
    uint32_t r, g, b;
};

// Every pixel of column (horizontal) or row (vertical) `index` has the colour.
void expect_stripe(const Surface& s, bool horizontal, int index, uint32_t color) {
    const int length = horizontal ? s.height() : s.width();
    for (int k = 0; k < length; ++k) {
        const uint32_t got = horizontal ? s.at(index, k) : s.at(k, index);
        if (got != color) {
            ADD_FAILURE() << (horizontal ? "column " : "row ") << index << " at " << k << ": "
                          << hex(got) << ", expected " << hex(color);
            return;
        }
    }
}

// A hidden top-level window to put bands on.
class ParentWindow {
  public:
    ParentWindow() {
        hwnd_ =
            CreateWindowExA(0, "STATIC", "gradient test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                            0, 600, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~ParentWindow() {
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;
    HWND get() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

void pump_messages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

// The header band's columns.
TEST(PaintGradient, HorizontalHeaderBandColumns) {
    Surface s(385, 56);
    ASSERT_TRUE(s.ok());
    paint_gradient(s.dc(), 385, 56, true, kWhite, kBlue);
    const Sample samples[] = {{0, 255, 255, 255},
                              {1, 255, 255, 255},
                              {2, 254, 254, 255},
                              {192, 128, 128, 255},
                              {384, 1, 1, 255}};
    for (const Sample& p : samples) expect_stripe(s, true, p.index, rgb(p.r, p.g, p.b));
    // Every column as the portable arithmetic says.
    for (int x = 0; x < 385; ++x) expect_stripe(s, true, x, stripe_color(kWhite, kBlue, x, 385));
}

// The same colours from top to bottom.
TEST(PaintGradient, VerticalRows) {
    Surface s(385, 56);
    ASSERT_TRUE(s.ok());
    paint_gradient(s.dc(), 385, 56, false, kWhite, kBlue);
    const Sample samples[] = {{0, 255, 255, 255}, {28, 128, 128, 255}, {55, 5, 5, 255}};
    for (const Sample& p : samples) expect_stripe(s, false, p.index, rgb(p.r, p.g, p.b));
    for (int y = 0; y < 56; ++y) expect_stripe(s, false, y, stripe_color(kWhite, kBlue, y, 56));
}

TEST(PaintGradient, NothingOutsideTheBand) {
    // The last stripe (exactly Color2) lies just outside and is not seen; the DC's own
    // clipping is back afterwards.
    Surface s(400, 60);
    ASSERT_TRUE(s.ok());
    paint_gradient(s.dc(), 385, 56, true, kWhite, kBlue);
    EXPECT_EQ(s.at(384, 0), rgb(1, 1, 255));
    EXPECT_EQ(s.at(385, 0), kSentinel);
    EXPECT_EQ(s.at(0, 56), kSentinel);
    const RECT all{0, 0, 400, 60};
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillRect(s.dc(), &all, black);
    EXPECT_EQ(s.at(399, 59), 0u);
}

TEST(PaintGradient, EqualColoursFillTheRectangle) {
    Surface s(20, 10);
    ASSERT_TRUE(s.ok());
    paint_gradient(s.dc(), 20, 10, true, 0x123456, 0x123456);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(s.at(x, y), 0x123456u) << x << "," << y;
}

TEST(PaintGradient, EqualSystemColourReferencesFillWithTheSystemColour) {
    Surface s(20, 10);
    ASSERT_TRUE(s.ok());
    const uint32_t face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    ASSERT_NE(face, kSentinel);
    paint_gradient(s.dc(), 20, 10, false, system_color(COLOR_BTNFACE), system_color(COLOR_BTNFACE));
    EXPECT_EQ(s.at(0, 0), face);
    EXPECT_EQ(s.at(19, 9), face);
}

TEST(PaintGradient, SystemColourInOneColourIsResolvedFirst) {
    Surface s(50, 8);
    ASSERT_TRUE(s.ok());
    const uint32_t text = GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF;
    paint_gradient(s.dc(), 50, 8, true, system_color(COLOR_WINDOWTEXT), kWhite);
    for (int x = 0; x < 50; ++x) expect_stripe(s, true, x, stripe_color(text, kWhite, x, 50));
    EXPECT_EQ(s.at(0, 0), text);
}

TEST(PaintGradient, NegativeOrZeroExtentDrawsNothing) {
    Surface s(30, 30);
    ASSERT_TRUE(s.ok());
    paint_gradient(s.dc(), -5, 30, true, kWhite, kBlue);
    paint_gradient(s.dc(), 30, -5, false, kWhite, kBlue);
    paint_gradient(s.dc(), 0, 30, true, kWhite, kBlue);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(s.at(x, y), kSentinel) << x << "," << y;
}

TEST(TGradientControl, ConstructionValuesAndWindow) {
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    TGradient band(parent.get(), 3, 4, TGradient::kDefaultSize, TGradient::kDefaultSize, 1401);
    const HWND h = band.handle();
    ASSERT_TRUE(h);
    char cls[32] = {};
    GetClassNameA(h, cls, sizeof cls);
    EXPECT_STREQ(cls, "TGradient");
    EXPECT_EQ(GetParent(h), parent.get());
    EXPECT_EQ(GetDlgCtrlID(h), 1401);
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(IsWindowEnabled(h));
    RECT r{};
    GetClientRect(h, &r);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 100);
    RECT w{};
    GetWindowRect(h, &w);
    MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&w), 2);
    EXPECT_EQ(w.left, 3);
    EXPECT_EQ(w.top, 4);
    EXPECT_EQ(band.Color1(), 0xFF0000u);
    EXPECT_EQ(band.Color2(), 0u);
    EXPECT_FALSE(band.Horizontal());
    // Opaque: background erasing is answered as done, and touches nothing.
    Surface s(4, 4);
    ASSERT_TRUE(s.ok());
    EXPECT_NE(SendMessageA(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(s.dc()), 0), 0);
    EXPECT_EQ(s.at(0, 0), kSentinel);
}

TEST(TGradientControl, WritesWithoutAWindowOnlyStore) {
    TGradient band;
    EXPECT_EQ(band.handle(), nullptr);
    band.set_Color1(kWhite);
    band.set_Color2(kBlue);
    band.set_Horizontal(true);
    EXPECT_EQ(band.Color1(), kWhite);
    EXPECT_EQ(band.Color2(), kBlue);
    EXPECT_TRUE(band.Horizontal());
    EXPECT_EQ(band.paint_count(), 0u);

    // Placed afterwards, it paints what was stored.
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    band.create(parent.get(), 0, 0, 385, 56);
    ASSERT_TRUE(band.handle());
    Surface s(385, 56);
    ASSERT_TRUE(s.ok());
    SendMessageA(band.handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
    expect_stripe(s, true, 2, rgb(254, 254, 255));
    EXPECT_THROW(band.create(parent.get(), 0, 0, 1, 1), std::runtime_error);
}

// The header band as the wizard sets it up, painted by the control itself at its own size.
TEST(TGradientControl, PaintsItsOwnRectangle) {
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    TGradient band(parent.get(), 0, 0, 385, 56);
    band.set_Color1(kWhite);
    band.set_Color2(kBlue);
    band.set_Horizontal(true);
    Surface s(400, 60);
    ASSERT_TRUE(s.ok());
    SendMessageA(band.handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
    const Sample samples[] = {{0, 255, 255, 255},
                              {1, 255, 255, 255},
                              {2, 254, 254, 255},
                              {192, 128, 128, 255},
                              {384, 1, 1, 255}};
    for (const Sample& p : samples) EXPECT_EQ(s.at(p.index, 55), rgb(p.r, p.g, p.b));
    EXPECT_EQ(s.at(385, 0), kSentinel);
    EXPECT_EQ(s.at(0, 56), kSentinel);

    band.set_Horizontal(false);
    SendMessageA(band.handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(s.dc()), PRF_CLIENT);
    EXPECT_EQ(s.at(384, 28), rgb(128, 128, 255));
    EXPECT_EQ(s.at(0, 55), rgb(5, 5, 255));
}

// The band's own window surface: Wine keeps a shown window's pixels even with the null
// display driver, so what is drawn on the window's DC can be read back from it.
class WindowPixels {
  public:
    explicit WindowPixels(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowPixels() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowPixels(const WindowPixels&) = delete;
    WindowPixels& operator=(const WindowPixels&) = delete;
    // Paints over the whole window in black, validating nothing.
    void blacken() {
        RECT r{};
        GetClientRect(hwnd_, &r);
        FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        GdiFlush();
    }
    uint32_t at(int x, int y) {
        GdiFlush();
        return GetPixel(dc_, x, y);
    }

  private:
    HWND hwnd_;
    HDC dc_;
};

// Writing the same Color2 twice paints twice, each write at once on
// the band's window, and invalidates it, so that the next paint cycle paints it again.
TEST(TGradientControl, SameValueWrittenTwicePaintsEachTime) {
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    ShowWindow(parent.get(), SW_SHOWNOACTIVATE);  // a paint cycle needs a visible window
    TGradient band(parent.get(), 0, 0, 385, 56);
    band.set_Color1(kWhite);
    band.set_Horizontal(true);
    UpdateWindow(parent.get());
    pump_messages();
    RECT pending{};
    ASSERT_FALSE(GetUpdateRect(band.handle(), &pending, FALSE));
    WindowPixels window(band.handle());

    for (int write = 1; write <= 2; ++write) {
        SCOPED_TRACE("write " + std::to_string(write));
        const unsigned before = band.paint_count();
        window.blacken();
        ASSERT_EQ(window.at(2, 0), 0u) << "the window's pixels cannot be read back";

        band.set_Color2(kBlue);
        // Painted at once, before any message is handled.
        EXPECT_EQ(band.paint_count(), before + 1);
        EXPECT_EQ(window.at(2, 0), rgb(254, 254, 255));
        EXPECT_EQ(window.at(192, 55), rgb(128, 128, 255));
        EXPECT_EQ(window.at(384, 30), rgb(1, 1, 255));
        // And invalidated whole.
        ASSERT_TRUE(GetUpdateRect(band.handle(), &pending, FALSE));
        EXPECT_EQ(pending.right - pending.left, 385);
        EXPECT_EQ(pending.bottom - pending.top, 56);

        // The next paint cycle paints it again.
        window.blacken();
        UpdateWindow(band.handle());
        EXPECT_EQ(band.paint_count(), before + 2);
        EXPECT_EQ(window.at(2, 0), rgb(254, 254, 255));
        EXPECT_EQ(window.at(384, 30), rgb(1, 1, 255));
        EXPECT_FALSE(GetUpdateRect(band.handle(), &pending, FALSE));
    }
    EXPECT_EQ(band.Color2(), kBlue);
}

TEST(TGradientControl, ParentDestroyedFirst) {
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    TGradient band(parent.get(), 0, 0, 10, 10);
    ASSERT_TRUE(band.handle());
    DestroyWindow(parent.get());
    EXPECT_EQ(band.handle(), nullptr);
    band.set_Color2(kWhite);  // only stores now
    EXPECT_EQ(band.Color2(), kWhite);
}

TEST(TGradientControl, DestroyedWithTheObject) {
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    HWND h;
    {
        TGradient band(parent.get(), 0, 0, 10, 10);
        h = band.handle();
        ASSERT_TRUE(IsWindow(h));
    }
    EXPECT_FALSE(IsWindow(h));
}

TEST(TGradientControl, LiesBelowItsSiblingsAndLetsTheMouseThrough) {
    ParentWindow parent;
    ASSERT_TRUE(parent.get());
    HWND label = CreateWindowExA(0, "STATIC", "Title", WS_CHILD | WS_VISIBLE, 8, 8, 100, 13,
                                 parent.get(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(label);
    TGradient band(parent.get(), 0, 0, 385, 56);
    EXPECT_EQ(GetWindow(parent.get(), GW_CHILD), label);
    EXPECT_EQ(GetWindow(label, GW_HWNDNEXT), band.handle());
    EXPECT_TRUE(GetWindowLongA(band.handle(), GWL_STYLE) & WS_CLIPSIBLINGS);
    EXPECT_EQ(SendMessageA(band.handle(), WM_NCHITTEST, 0, MAKELPARAM(200, 40)), HTTRANSPARENT);
}
