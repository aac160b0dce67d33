#include "ui/TForm1_win32.h"

#include <commctrl.h>

#include "platform/error/runtime_error.h"
#include "platform/process_safety.h"
#include "ui/TDirectoryListBox_win32.h"
#include "ui/TDriveComboBox_win32.h"
#include "ui/TGradient_win32.h"
#include "ui/foreground_win32.h"
#include "ui/form_parts_win32.h"
#include "ui/page_table.h"
#include "ui/picture_win32.h"

namespace setup {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

void register_class(HINSTANCE instance, WNDPROC procedure, const char* name, HICON icon,
                    HICON small_icon) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = small_icon;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc))
        throw RuntimeError(std::string("Nie można zarejestrować klasy okna ") + name);
}

}  // namespace

HFONT make_font(int pixels, bool bold) {
    return CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

// uxtheme.dll is not a KnownDLL: imported at load time, a planted copy beside Setup.exe would
// be loaded, so it is reached from the system folder.
bool themed() {
    using ThemeQuery = BOOL(WINAPI*)();
    auto app_themed =
        reinterpret_cast<ThemeQuery>(platform::system_function("uxtheme.dll", "IsAppThemed"));
    auto theme_active =
        reinterpret_cast<ThemeQuery>(platform::system_function("uxtheme.dll", "IsThemeActive"));
    return app_themed != nullptr && theme_active != nullptr && app_themed() && theme_active();
}

void TForm1::create(HINSTANCE instance, const Layout& layout) {
    // A page table that does not fit the layout would fail at the first click; refuse it here.
    if (auto problems = check_page_table(wizard_pages(), layout); !problems.empty())
        throw RuntimeError("Błędna tabela stron kreatora: " + problems.front());
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    fonts_ = std::make_unique<Fonts>();
    register_class(instance, form_proc, "TForm1", LoadIconA(instance, "MAINICON"),
                   static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 16, 16, 0)));
    register_class(instance, panel_proc, "TPanel", nullptr, nullptr);

    const ControlSpec& form = layout.at("TForm1");
    RECT r{0, 0, form.width, form.height};
    AdjustWindowRectEx(&r, kFormStyle, FALSE, WS_EX_CONTROLPARENT);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, "TForm1", form.caption.c_str(), kFormStyle, x, y,
                            w, h, nullptr, nullptr, instance, this);
    if (!hwnd_) throw RuntimeError("Nie można utworzyć okna kreatora");
    controls_["TForm1"] = hwnd_;
    set_color(kWhite);
    for (const ControlSpec& item : layout.controls)
        if (item.kind != ControlKind::Form) create_control(item, instance, layout);
}

HWND TForm1::control(std::string_view name) const {
    auto it = controls_.find(name);
    if (it == controls_.end()) throw RuntimeError("Brak kontrolki " + std::string(name));
    return it->second;
}

std::string TForm1::text(std::string_view name) const {
    HWND hwnd = control(name);
    std::string buffer(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    int n = GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

void TForm1::set_text(std::string_view name, const std::string& text) {
    HWND hwnd = control(name);
    SetWindowTextA(hwnd, text.c_str());
    if (name == "Label1") autosize_label(hwnd);
}

void TForm1::set_caption(const std::string& caption) {
    SetWindowTextA(hwnd_, caption.c_str());
}

void TForm1::set_color(COLORREF color) {
    color_ = color;
    SetPropA(hwnd_, kColorProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(color) + 1));
    InvalidateRect(hwnd_, nullptr, TRUE);
    // Under visual styles the pages let the window's colour show through.
    if (themed())
        for (auto& [panel, c] : panel_colors_)
            if (c == kWhite || c == color_) InvalidateRect(panel, nullptr, TRUE);
}

void TForm1::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
    BringToForeground(hwnd_);  // FormShow; the result does not matter
}

void TForm1::append_memo(const std::string& line) {
    // Appended at the end, not the whole text set anew, so a long output stays fast.
    HWND memo = control("Memo1");
    const LRESULT length = GetWindowTextLengthA(memo);
    SendMessageA(memo, EM_SETSEL, length, length);
    const std::string text = (length > 0 ? "\r\n" : "") + line;
    SendMessageA(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TForm1::set_progress(int position) {
    SendMessageA(control("ProgressBar1"), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int TForm1::progress() const {
    return static_cast<int>(SendMessageA(control("ProgressBar1"), PBM_GETPOS, 0, 0));
}

void TForm1::pump_messages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (translate_dialog_message(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TForm1::repaint() {
    if (IsWindow(hwnd_)) RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TForm1::request_close() {
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace setup
