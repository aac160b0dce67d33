#include "form.h"

#include "files.h"
#include "globals.h"
#include "runtime_error.h"

namespace setup {

namespace {
constexpr int kClientWidth = 496;
constexpr int kClientHeight = 353;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}  // namespace

void TForm1::create(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "TForm1";
    if (!RegisterClassExA(&wc)) throw RuntimeError("Nie można zarejestrować klasy okna TForm1");

    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
              y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = CreateWindowExA(0, "TForm1", "Kreator instalacyjny", kStyle, x, y, w, h, nullptr,
                            nullptr, instance, this);
    if (!hwnd_) throw RuntimeError("Nie można utworzyć okna kreatora");
}

void TForm1::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void TForm1::set_caption(const std::string& caption) {
    SetWindowTextA(hwnd_, caption.c_str());
}

void TForm1::FormCloseQuery() {
    // The extractor may still run; a failed deletion never stops the close.
    platform::delete_file(ExtractorPath);
}

void TForm1::FormClose() {
    CancelRequested = true;
}

LRESULT CALLBACK TForm1::window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_ = hwnd;
    }
    auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return form ? form->handle_message(msg, wparam, lparam)
                : DefWindowProcA(hwnd, msg, wparam, lparam);
}

LRESULT TForm1::handle_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CLOSE:
            FormCloseQuery();
            FormClose();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd_, msg, wparam, lparam);
}

}  // namespace setup
