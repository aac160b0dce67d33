#pragma once
// The gradient band control: a child window of its own class "TGradient" that fills
// its rectangle with a two-colour gradient, from left to right (Horizontal) or from top to
// bottom. It has no input handling and no events; it only draws.
//
// Use on the GUI thread only. A TGradient owns its window (destroyed with the object, unless
// the parent has destroyed it first) and must stay where it is while the window lives: it is
// neither copied nor moved.
#include <windows.h>

#include <cstdint>

namespace setup {

// Paints a band of width x height with the given properties into `dc`, at the DC's origin:
// the fills of gradient_stripes (gradient_colors.h), one FillRect with a solid brush each,
// system colour references resolved with GetSysColor. The fills are clipped to the band's
// rectangle (0, 0, width, height), so nothing outside it changes (the last stripe, i = E, is
// not seen); a band with no area draws nothing. The DC's own clipping is kept afterwards.
void paint_gradient(HDC dc, int width, int height, bool horizontal, uint32_t color1,
                    uint32_t color2);

class TGradient {
  public:
    static constexpr const char* kClassName = "TGradient";
    static constexpr int kDefaultSize = 100;

    // Registers the window class "TGradient" for `instance`; a second call for the same
    // instance does nothing. create() registers it for this module on its own, so callers
    // only need this to register for another instance. Throws std::runtime_error on failure.
    static void register_class(HINSTANCE instance);

    // A band without a window, with the construction values: Color1 0xFF0000 (blue), Color2 0
    // (black), Horizontal false. Property writes only store until create().
    TGradient() = default;
    // A band created at once on `parent` (see create()).
    TGradient(HWND parent, int x, int y, int width = kDefaultSize, int height = kDefaultSize,
              int id = 0);
    ~TGradient();
    TGradient(const TGradient&) = delete;
    TGradient& operator=(const TGradient&) = delete;

    // Creates the window: a visible, enabled child of `parent` (WS_CHILD | WS_VISIBLE, and
    // WS_CLIPSIBLINGS) at (x, y) in the parent's client area, width x height, with control id
    // `id`. Like a graphic control it lies below its siblings: it goes to the bottom of their
    // Z order and never paints over them, and mouse input passes through it to the parent.
    // Throws std::runtime_error when the window cannot be created or exists already.
    void create(HWND parent, int x, int y, int width = kDefaultSize, int height = kDefaultSize,
                int id = 0);

    // The window, or nullptr before create() and after its destruction.
    HWND handle() const { return hwnd_; }

    // Reading returns the field. Writing stores the value, then (with a window) paints the
    // whole band at once on the window's DC and invalidates it, so that the next paint cycle
    // paints it again. No comparison with the old value: writing the same value paints again.
    uint32_t Color1() const { return color1_; }
    uint32_t Color2() const { return color2_; }
    bool Horizontal() const { return horizontal_; }
    void set_Color1(uint32_t color);
    void set_Color2(uint32_t color);
    void set_Horizontal(bool horizontal);

    // The paint operation: the whole band at the window's client size into `dc`.
    void Paint(HDC dc);

    // How often the paint operation has run (paint cycles, WM_PRINTCLIENT and property
    // writes); for tests and diagnostics.
    unsigned paint_count() const { return paint_count_; }

  private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT handle_message(UINT msg, WPARAM wparam, LPARAM lparam);
    void property_written();

    HWND hwnd_ = nullptr;
    uint32_t color1_ = 0xFF0000;
    uint32_t color2_ = 0;
    bool horizontal_ = false;
    unsigned paint_count_ = 0;
};

}  // namespace setup
