#include "ui/picture_win32.h"

#include "platform/window_owner.h"
#include "ui/system_jpeg_win32.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace setup {

namespace {

// A memory DC with a bitmap selected into it, put back and deleted at the end of the scope.
class SelectedBitmap {
  public:
    SelectedBitmap(HDC like, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(like)), selection_(dc_.get(), bitmap) {}
    HDC dc() const { return selection_ ? dc_.get() : nullptr; }

  private:
    platform::UniqueMemoryDc dc_;  // declared first: deleted after the selection is undone
    platform::Selection selection_;
};

void register_class(WNDPROC window_proc) {
    // Thread-safe once; a failed registration throws and is tried again on the next call.
    static const bool registered = [window_proc] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = window_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.lpszClassName = TImage::kClassName;
        if (!RegisterClassExA(&wc))
            throw RuntimeError(std::string("Nie można zarejestrować klasy okna ") +
                               TImage::kClassName);
        return true;
    }();
    (void)registered;
}

UniqueBitmap make_bitmap(const RgbImage& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != picture.stride() * static_cast<size_t>(picture.height))
        throw RuntimeError("Obraz " + std::to_string(picture.width) + " x " +
                           std::to_string(picture.height) + " ma " +
                           std::to_string(picture.pixels.size()) + " bajtów zamiast " +
                           std::to_string(picture.stride() * std::max(picture.height, 0)));
    BITMAPINFO info = rgb_image_format(picture.width, picture.height);
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        throw RuntimeError("Nie można utworzyć bitmapy obrazu " + std::to_string(picture.width) +
                           " x " + std::to_string(picture.height));
    // A 24-bit DIB's rows are padded to 4 bytes, exactly as RgbImage's.
    std::memcpy(bits, picture.pixels.data(), picture.pixels.size());
    return bitmap;
}

std::string resource_label(const char* name) {
    return IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name))
                                : std::string(name);
}

}  // namespace

TImage::TImage(HWND parent, int id, int x, int y, int w, int h) {
    register_class(window_proc);
    // window_proc sets hwnd_ on WM_NCCREATE.
    CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                    this);
    if (!hwnd_)
        throw RuntimeError("Nie można utworzyć kontrolki obrazu (błąd " +
                           std::to_string(GetLastError()) + ")");
}

TImage::~TImage() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void TImage::set_picture(std::shared_ptr<const RgbImage> picture, bool auto_size) {
    UniqueBitmap bitmap;
    if (picture) bitmap = make_bitmap(*picture);
    bitmap_ = std::move(bitmap);
    picture_ = std::move(picture);
    if (!hwnd_) return;
    if (auto_size && picture_)
        SetWindowPos(hwnd_, nullptr, 0, 0, picture_->width, picture_->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TImage::move(int x, int y) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TImage::bounds() const {
    RECT r{};
    if (!hwnd_ || !GetWindowRect(hwnd_, &r)) return RECT{};
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TImage::paint(HDC dc) const noexcept {
    RECT client{};
    GetClientRect(hwnd_, &client);
    int shown_width = 0, shown_height = 0;
    if (bitmap_ && picture_) {
        SelectedBitmap source(dc, bitmap_.get());
        if (source.dc()) {
            shown_width = std::min<int>(picture_->width, client.right);
            shown_height = std::min<int>(picture_->height, client.bottom);
            BitBlt(dc, 0, 0, shown_width, shown_height, source.dc(), 0, 0, SRCCOPY);
        }
    }
    if (shown_width >= client.right && shown_height >= client.bottom) return;
    // What the picture leaves uncovered: the strip to its right and the one below it.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(hwnd_)));
    if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
    const RECT right{shown_width, 0, client.right, client.bottom};
    const RECT below{0, shown_height, shown_width, client.bottom};
    FillRect(dc, &right, brush);
    FillRect(dc, &below, brush);
}

LRESULT CALLBACK TImage::window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* image = platform::window_owner<TImage>(hwnd, msg, lparam);
    if (msg == WM_NCCREATE && image) image->hwnd_ = hwnd;
    return image ? image->handle_message(msg, wparam, lparam)
                 : DefWindowProcA(hwnd, msg, wparam, lparam);
}

LRESULT TImage::handle_message(UINT msg, WPARAM wparam, LPARAM lparam) noexcept {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(hwnd_, &ps)) {
                paint(dc);
                EndPaint(hwnd_, &ps);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            paint(reinterpret_cast<HDC>(wparam));
            return 0;
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_NCDESTROY: {
            HWND hwnd = std::exchange(hwnd_, nullptr);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            return DefWindowProcA(hwnd, msg, wparam, lparam);
        }
    }
    return DefWindowProcA(hwnd_, msg, wparam, lparam);
}

std::shared_ptr<RgbImage> load_jpeg_resource(HMODULE module, const char* name) {
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) throw RuntimeError("Nie znaleziono zasobu " + resource_label(name));
    const DWORD size = SizeofResource(module, found);
    try {
        return std::make_shared<RgbImage>(
            decode_system_jpeg(static_cast<const uint8_t*>(bytes), size));
    } catch (const RuntimeError& e) {
        throw RuntimeError("Zasób " + resource_label(name) + ": " + e.what());
    }
}

}  // namespace setup
