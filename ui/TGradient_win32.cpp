#include "ui/TGradient_win32.h"

#include "platform/win_handle.h"
#include "platform/window_owner.h"

#include <optional>
#include <stdexcept>

#include "ui/gradient_colors.h"

namespace setup {

namespace {

// SaveDC ... RestoreDC: what is changed in between (the clipping) goes back.
class SavedDC {
  public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

  private:
    HDC dc_;
    int saved_;
};

// BeginPaint ... EndPaint.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return ps_.hdc; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
};

uint32_t system_color_value(int index) {
    return GetSysColor(index);
}

// This module's instance (the program, or the DLL that links the control in).
HINSTANCE own_instance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&system_color_value), &module);
    return module ? module : GetModuleHandleA(nullptr);
}

}  // namespace

void paint_gradient(HDC dc, int width, int height, bool horizontal, uint32_t color1,
                    uint32_t color2) {
    // A band without area shows nothing (any fill would lie outside it). Otherwise the fills
    // are clipped to the band, as on the control's own surface: the last stripe (i = E) lies
    // just outside and is not seen.
    if (width <= 0 || height <= 0) return;
    SavedDC saved(dc);
    IntersectClipRect(dc, 0, 0, width, height);
    // One solid brush per colour run: consecutive stripes of one colour share it, each stripe
    // still has its own FillRect.
    std::optional<platform::UniqueBrush> brush;
    uint32_t brush_color = 0;
    for_each_stripe(width, height, horizontal, color1, color2, system_color_value,
                    [&](const Stripe& s) {
                        if (!brush || brush_color != s.color) {
                            brush.reset();  // the old one is deleted before the next is made
                            brush.emplace(CreateSolidBrush(s.color));
                            brush_color = s.color;
                        }
                        if (!brush->get()) return;  // out of GDI objects: leave the stripe
                        const RECT r{s.left, s.top, s.right, s.bottom};
                        FillRect(dc, &r, brush->get());
                    });
}

void TGradient::register_class(HINSTANCE instance) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, kClassName, &existing)) return;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    // The stripes stretch with the size: a resized band repaints whole.
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = nullptr;  // opaque: the band covers its whole rectangle itself
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("Nie można zarejestrować klasy okna TGradient");
}

TGradient::TGradient(HWND parent, int x, int y, int width, int height, int id) {
    create(parent, x, y, width, height, id);
}

TGradient::~TGradient() {
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_ and the link to us
}

void TGradient::create(HWND parent, int x, int y, int width, int height, int id) {
    if (hwnd_) throw std::runtime_error("TGradient: okno już istnieje");
    const HINSTANCE instance = own_instance();
    register_class(instance);
    // INT_PTR first: a negative id must not be sign-extended differently from Windows' own.
    HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    if (!CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                         height, parent, menu, instance, this))
        throw std::runtime_error("Nie można utworzyć okna TGradient");
    // hwnd_ was set at WM_NCCREATE. Below the siblings, as graphic controls are.
    SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TGradient::set_Color1(uint32_t color) {
    color1_ = color;
    property_written();
}

void TGradient::set_Color2(uint32_t color) {
    color2_ = color;
    property_written();
}

void TGradient::set_Horizontal(bool horizontal) {
    horizontal_ = horizontal;
    property_written();
}

void TGradient::property_written() {
    if (!hwnd_) return;  // no window yet: only stored; create() shows it
    {
        platform::WindowDc dc(hwnd_);
        if (dc.get()) Paint(dc.get());
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TGradient::Paint(HDC dc) {
    ++paint_count_;
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    paint_gradient(dc, client.right - client.left, client.bottom - client.top, horizontal_, color1_,
                   color2_);
}

LRESULT CALLBACK TGradient::window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = platform::window_owner<TGradient>(hwnd, msg, lparam);
    if (msg == WM_NCCREATE && self) self->hwnd_ = hwnd;
    if (!self) return DefWindowProcA(hwnd, msg, wparam, lparam);
    if (msg == WM_NCDESTROY) {
        // Destroyed by us or with the parent: the object no longer has a window.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    return self->handle_message(msg, wparam, lparam);
}

LRESULT TGradient::handle_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // opaque: the paint covers everything, nothing to erase first
        case WM_PAINT: {
            PaintScope paint(hwnd_);
            if (paint.dc()) Paint(paint.dc());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wparam));
            return 0;
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // no input of its own: the mouse goes to what lies beneath
    }
    return DefWindowProcA(hwnd_, msg, wparam, lparam);
}

}  // namespace setup
