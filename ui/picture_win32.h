#pragma once
// The picture control "TImage" and the JPEG pictures the program carries as resources.
#include <windows.h>

#include <memory>

#include "platform/error/runtime_error.h"
#include "platform/win_handle.h"
#include "ui/rgb_image.h"
#include "ui/system_jpeg_win32.h"

namespace setup {

using platform::UniqueBitmap;

// A child window of its own class "TImage" that shows a picture at its top-left corner,
// clipped to its bounds: a control smaller than its picture shows the picture's top-left part
// (the banner control, 164 x 296, shows the top 296 of the banner's 314 rows). Where a control
// is larger than its picture, or has none, it paints the brush its parent gives for static
// controls (WM_CTLCOLORSTATIC). Like a graphic control it takes no focus, and mouse input
// passes through it to what lies below.
//
// GUI thread only. A TImage owns its window (destroyed with the object, unless the parent has
// destroyed it first) and must stay where it is while the window lives: no copy, no move.
class TImage {
  public:
    static constexpr const char* kClassName = "TImage";

    // A visible child of `parent` at (x, y) in its client area, w x h, control id `id`,
    // without a picture. Registers the class on first use. Throws RuntimeError on failure.
    TImage(HWND parent, int id, int x, int y, int w, int h);
    ~TImage();
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;

    // Shows `picture` (nullptr: none) and repaints. With auto_size the control takes the
    // picture's size, keeping its position; otherwise it keeps its own size. A picture is
    // shared, never copied: one decoded banner serves both banner pages. Throws RuntimeError
    // when the bitmap cannot be made or the image's pixels do not match its size; the control
    // then keeps what it had.
    void set_picture(std::shared_ptr<const RgbImage> picture, bool auto_size);
    const std::shared_ptr<const RgbImage>& picture() const { return picture_; }

    // The window, or nullptr once it is destroyed.
    HWND handle() const { return hwnd_; }
    // Bounds in the parent's client area (0 once the window is destroyed).
    int left() const { return bounds().left; }
    int top() const { return bounds().top; }
    int width() const { return bounds().right - bounds().left; }
    int height() const { return bounds().bottom - bounds().top; }
    void move(int x, int y);

  private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT handle_message(UINT msg, WPARAM wparam, LPARAM lparam) noexcept;
    void paint(HDC dc) const noexcept;
    RECT bounds() const;

    HWND hwnd_ = nullptr;
    std::shared_ptr<const RgbImage> picture_;
    UniqueBitmap bitmap_;  // a DIB section holding picture_'s pixels
};

// Decodes the JPEG carried in `module` as the RCDATA resource `name` with decode_system_jpeg.
// Throws RuntimeError naming the resource when it is missing or cannot be decoded.
std::shared_ptr<RgbImage> load_jpeg_resource(HMODULE module, const char* name);

}  // namespace setup
