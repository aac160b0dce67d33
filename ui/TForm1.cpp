#include "TForm1.h"

#include <commctrl.h>

#include "TDirectoryListBox.h"
#include "TDriveComboBox.h"
#include "TGradient.h"
#include "files.h"
#include "foreground.h"
#include "globals.h"
#include "picture.h"
#include "process_safety.h"
#include "runtime_error.h"
#include "win_handle.h"
#include "window_owner.h"
#include "wizard_rules.h"

namespace setup {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr const char* kColorProperty = "SetupColor";

struct PageButtons {
    std::string_view page;
    std::string_view default_button;  // "" when Enter presses nothing there
};
constexpr PageButtons kDefaults[] = {{"Welcome", "Button4"},   {"Path", "Button7"},
                                     {"MenuStart", "Button9"}, {"Podsumowanie", "Button12"},
                                     {"Progress", ""},         {"Finish", "Button18"}};

HFONT make_font(int pixels, bool bold) {
    return CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

// Whether visual styles are on. uxtheme.dll is not a KnownDLL: imported at load time, a
// planted copy beside Setup.exe would be loaded, so it is reached from the system folder.
bool themed() {
    using ThemeQuery = BOOL(WINAPI*)();
    auto app_themed =
        reinterpret_cast<ThemeQuery>(platform::system_function("uxtheme.dll", "IsAppThemed"));
    auto theme_active =
        reinterpret_cast<ThemeQuery>(platform::system_function("uxtheme.dll", "IsThemeActive"));
    return app_themed != nullptr && theme_active != nullptr && app_themed() && theme_active();
}

}  // namespace

struct TForm1::Fonts {
    platform::UniqueGdi regular{make_font(11, false)};
    platform::UniqueGdi bold{make_font(11, true)};
    platform::UniqueGdi large{make_font(13, false)};
    HFONT get(const ControlSpec& item) const {
        if (item.values.count("font")) return static_cast<HFONT>(large.get());
        return static_cast<HFONT>(item.has("bold") ? bold.get() : regular.get());
    }
};

TForm1::TForm1() = default;
TForm1::~TForm1() = default;

void TForm1::create(HINSTANCE instance, const Layout& layout) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    fonts_ = std::make_unique<Fonts>();

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = form_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.lpszClassName = "TForm1";
    if (!RegisterClassExA(&wc)) throw RuntimeError("Nie można zarejestrować klasy okna TForm1");
    WNDCLASSEXA pc{};
    pc.cbSize = sizeof pc;
    pc.lpfnWndProc = panel_proc;
    pc.hInstance = instance;
    pc.hCursor = wc.hCursor;
    pc.lpszClassName = "TPanel";
    if (!RegisterClassExA(&pc)) throw RuntimeError("Nie można zarejestrować klasy okna TPanel");

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

void TForm1::create_control(const ControlSpec& item, HINSTANCE instance, const Layout& layout) {
    HWND parent = control(item.parent);
    const int id = control_id(item.name);
    const char* caption = item.caption.c_str();
    DWORD style =
        WS_CHILD | (item.has("hidden") ? 0 : WS_VISIBLE) | (item.has("disabled") ? WS_DISABLED : 0);
    DWORD ex = 0;
    const char* cls = nullptr;
    switch (item.kind) {
        case ControlKind::Panel:
            cls = "TPanel";
            style |= WS_CLIPCHILDREN;
            ex = WS_EX_CONTROLPARENT;
            caption = "";
            panel_kind_[item.name] = item.has("page") ? "page" : "body";
            break;
        case ControlKind::Label:
            cls = "STATIC";
            // Right-aligned labels keep to one line, clipped at the left as they overflow.
            style |= SS_NOPREFIX | (item.has("right")      ? SS_RIGHT | SS_CENTERIMAGE
                                    : item.has("wordwrap") ? SS_LEFT
                                                           : SS_LEFTNOWORDWRAP);
            break;
        case ControlKind::Button:
            cls = "BUTTON";
            style |= WS_TABSTOP | (item.has("default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            break;
        case ControlKind::Edit:
            cls = "EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            ex = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Memo:
            cls = "EDIT";
            style |= WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_WANTRETURN | WS_VSCROLL |
                     ES_AUTOVSCROLL;
            ex = WS_EX_CLIENTEDGE;
            caption = "";
            break;
        case ControlKind::ListBox:
            cls = "LISTBOX";
            style |= WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                     (item.has("sorted") ? LBS_SORT : 0);
            ex = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::GroupBox:
            cls = "BUTTON";
            style |= BS_GROUPBOX;
            caption = "";
            break;
        case ControlKind::ProgressBar:
            cls = PROGRESS_CLASSA;
            caption = "";
            break;
        case ControlKind::Gradient: {
            auto g = std::make_unique<TGradient>(parent, item.left, item.top, item.width,
                                                 item.height, id);
            g->set_Color1(kWhite);
            g->set_Color2(kWhite);
            g->set_Horizontal(true);
            controls_[item.name] = g->handle();
            gradients_[item.name] = std::move(g);
            return;
        }
        case ControlKind::Image: {
            auto img =
                std::make_unique<TImage>(parent, id, item.left, item.top, item.width, item.height);
            auto pic = item.values.find("picture");
            if (pic != item.values.end()) {
                const std::string& bytes = layout.pictures.at(pic->second);
                img->set_picture(std::make_shared<RgbImage>(decode_system_jpeg(
                                     reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())),
                                 false);
            }
            controls_[item.name] = img->handle();
            images_[item.name] = std::move(img);
            return;
        }
        case ControlKind::DirectoryListBox: {
            directories_ = std::make_unique<TDirectoryListBox>(
                parent, id, item.left, item.top, item.width, item.height, fonts_->get(item));
            directories_->on_change = [this] { DirectoryListBox1Change(); };
            controls_[item.name] = directories_->handle();
            return;
        }
        case ControlKind::DriveComboBox: {
            drives_ = std::make_unique<TDriveComboBox>(parent, id, item.left, item.top, item.width,
                                                       item.height, fonts_->get(item));
            if (directories_) drives_->link(*directories_);
            controls_[item.name] = drives_->handle();
            return;
        }
        case ControlKind::Form:
            return;
    }
    HWND hwnd =
        CreateWindowExA(ex, cls, caption, style, item.left, item.top, item.width, item.height,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
    if (!hwnd) throw RuntimeError("Nie można utworzyć kontrolki " + item.name);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->get(item)), FALSE);
    if (item.kind == ControlKind::Memo) SendMessageA(hwnd, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    if (item.kind == ControlKind::ProgressBar) {
        SendMessageA(hwnd, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(hwnd, PBM_SETSTEP, 1, 0);
    }
    if (item.kind == ControlKind::Panel)
        panel_colors_[hwnd] = item.has("page") ? kWhite : GetSysColor(COLOR_BTNFACE);
    controls_[item.name] = hwnd;
    if (item.has("transparent")) transparent_.insert(hwnd);
    if (item.has("autosize")) autosize_label(hwnd);
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

void TForm1::autosize_label(HWND label) {
    char buffer[1024];
    int n = GetWindowTextA(label, buffer, sizeof buffer);
    SIZE size{};
    {
        const platform::WindowDc dc(label);
        const platform::Selection font(
            dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc.get(), buffer, n, &size);
    }
    SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
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

void TForm1::fill_content(const WindowContent& content) {
    folder_name_ = content.folder_name;
    HWND credit = control("Label21");
    SetWindowTextA(credit, content.credit.c_str());
    SetWindowPos(credit, nullptr, 168, 280, 319, 13, SWP_NOZORDER);
    ShowWindow(credit, SW_SHOW);
    EnableWindow(credit, TRUE);
    set_caption(content.title + " - Kreator instalacyjny");
    for (const char* name : {"Label2", "Label3", "Label20", "Label18", "Label6"})
        set_text(name, format_caption(text(name), content.title));
    set_text("Edit2", content.folder_name);
    directories_->set_current_folder(content.program_files);
    DirectoryListBox1Change();  // even when the list reported no change
    if (drives_) drives_->set_drive_of(directories_->current_folder());
    fill_groups(content.programs_folder);

    auto header = load_jpeg_resource(content.module, "JPG");
    images_.at("Image3")->set_picture(header, true);
    images_.at("Image2")->set_picture(images_.at("Image1")->picture(), true);
    for (const char* name : {"Image4", "Image5", "Image6"})
        images_.at(name)->set_picture(header, true);
    const PicturePlacement place =
        place_header_picture(496, images_.at("Image3")->width(), images_.at("Image3")->height());
    for (const char* name : {"Image3", "Image4", "Image5", "Image6"})
        images_.at(name)->move(place.left, place.top);
    TGradient& first = *gradients_.at("Gradient1");
    SetWindowPos(first.handle(), nullptr, 0, 0, place.band_width, 56, SWP_NOMOVE | SWP_NOZORDER);
    first.set_Color2(static_cast<uint32_t>(content.accent_color));
    for (const char* name : {"Gradient2", "Gradient3", "Gradient4"}) {
        TGradient& g = *gradients_.at(name);
        g.set_Color2(first.Color2());
        SetWindowPos(g.handle(), nullptr, 0, 0, place.band_width, 56, SWP_NOMOVE | SWP_NOZORDER);
    }
    set_color(kWhite);
}

void TForm1::fill_groups(const std::string& programs_folder) {
    HWND list = control("ListBox1");
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (!platform::folder_exists(programs_folder)) return;
    WIN32_FIND_DATAA fd;
    const platform::UniqueFind find(FindFirstFileA((programs_folder + "\\*.*").c_str(), &fd));
    if (!find) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (platform::folder_exists(programs_folder + "\\" + name))
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    } while (FindNextFileA(find.get(), &fd));
}

void TForm1::show_page(std::string_view show, std::string_view hide) {
    ShowWindow(control(show), SW_SHOW);
    ShowWindow(control(hide), SW_HIDE);
    // The new page's first control takes the focus, as Tab would give it.
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (first) SetFocus(first);
}

int TForm1::default_button() const {
    for (const PageButtons& p : kDefaults)
        if (IsWindowVisible(control(p.page)))
            return p.default_button.empty() ? 0 : control_id(p.default_button);
    return 0;
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

void TForm1::show_finish() {
    set_color(kWhite);
    show_page("Finish", "Progress");
}

void TForm1::request_close() {
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

bool TForm1::translate_dialog_message(MSG& msg) {
    if (!IsWindow(hwnd_)) return false;
    if (msg.message == WM_KEYDOWN && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
        // No button is a cancel button: Escape does nothing.
        if (msg.wParam == VK_ESCAPE) return true;
        // Enter presses the button that has the focus, or else the visible page's default
        // button, except in the summary. The buttons lie on panels, where the system's dialog
        // handling does not look for them.
        if (msg.wParam == VK_RETURN) {
            HWND focus = GetFocus();
            char cls[16] = {};
            GetClassNameA(focus, cls, sizeof cls);
            if (_stricmp(cls, "Button") == 0) {
                SendMessageA(focus, BM_CLICK, 0, 0);
                return true;
            }
            if (focus != control("Memo1")) {
                if (int id = default_button()) command(id, BN_CLICKED);
                return true;
            }
        }
    }
    return IsDialogMessageA(hwnd_, &msg) != 0;
}

void TForm1::FormCloseQuery() {
    platform::delete_file(ExtractorPath);
}

void TForm1::FormClose() {
    CancelRequested = true;
}

void TForm1::AnulujClick() {
    CancelRequested = true;
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void TForm1::DirectoryListBox1Change() {
    set_text("Edit1", target_folder_for(directories_->current_folder(), folder_name_));
}

void TForm1::ListBox1Clickx1Click() {
    HWND list = control("ListBox1");
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    std::string entry(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, index, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
    set_text("Edit2", group_for(entry.c_str(), folder_name_));
}

void TForm1::Button9Click() {
    show_page("Podsumowanie", "MenuStart");
    std::string summary;
    const auto lines = summary_lines(Product.ProductTitle, text("Edit1"), text("Edit2"));
    for (size_t i = 0; i < lines.size(); ++i) summary += (i ? "\r\n" : "") + lines[i];
    set_text("Memo1", summary);
}

void TForm1::command(int id, int code) {
    if (code == LBN_SELCHANGE && id == control_id("ListBox1")) return ListBox1Clickx1Click();
    if (code != BN_CLICKED) return;
    const auto is = [id](std::string_view name) { return id == control_id(name); };
    if (is("Button4")) {
        set_color(gradients_.at("Gradient1")->Color2());
        show_page("Path", "Welcome");
    } else if (is("Button6")) {
        set_color(kWhite);
        show_page("Welcome", "Path");
    } else if (is("Button7")) {
        show_page("MenuStart", "Path");
    } else if (is("Button5")) {
        show_page("Path", "MenuStart");
    } else if (is("Button9")) {
        Button9Click();
    } else if (is("Button11")) {
        show_page("MenuStart", "Podsumowanie");
    } else if (is("Button12")) {
        show_page("Progress", "Podsumowanie");
        if (on_install) on_install();
    } else if (is("Button16")) {
        CancelRequested = true;
    } else if (is("Anuluj") || is("Button8") || is("Button10") || is("Button13") ||
               is("Button18")) {
        AnulujClick();
    }
}

LRESULT CALLBACK TForm1::form_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* form = platform::window_owner<TForm1>(hwnd, msg, lparam);
    if (msg == WM_NCCREATE && form) form->hwnd_ = hwnd;
    if (!form) return DefWindowProcA(hwnd, msg, wparam, lparam);
    try {
        return form->handle_message(msg, wparam, lparam);
    } catch (const std::exception& e) {
        // A handler's runtime error ends that handler; the window goes on.
        MessageBoxA(hwnd, e.what(), "Setup", MB_OK | MB_ICONERROR);
        return 0;
    }
}

LRESULT CALLBACK TForm1::panel_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* form = platform::window_owner<TForm1>(hwnd, msg, lparam);
    if (!form) return DefWindowProcA(hwnd, msg, wparam, lparam);
    try {
        return form->panel_message(hwnd, msg, wparam, lparam);
    } catch (const std::exception& e) {
        MessageBoxA(form->hwnd_, e.what(), "Setup", MB_OK | MB_ICONERROR);
        return 0;
    }
}

LRESULT TForm1::panel_message(HWND panel, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(panel, &r);
            COLORREF c = panel_colors_.count(panel) ? panel_colors_[panel] : kWhite;
            const bool page = c == kWhite;
            if (page && themed()) c = color_;  // the window's colour shows through
            FillRect(reinterpret_cast<HDC>(wparam), &r,
                     platform::UniqueBrush(CreateSolidBrush(c)).get());
            if (!page) DrawEdge(reinterpret_cast<HDC>(wparam), &r, BDR_RAISEDINNER, BF_RECT);
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wparam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            // Titles lie over the header band: let it show through them.
            if (transparent_.count(reinterpret_cast<HWND>(lparam)))
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return reinterpret_cast<LRESULT>(panel_colors_[panel] == kWhite
                                                 ? GetStockObject(WHITE_BRUSH)
                                                 : GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_COMMAND:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_NOTIFY:
        case WM_CTLCOLORLISTBOX:
            return SendMessageA(hwnd_, msg, wparam, lparam);
    }
    return DefWindowProcA(panel, msg, wparam, lparam);
}

LRESULT TForm1::handle_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if (id == IDCANCEL || id == IDOK) return 0;  // Escape and a page without default
            // The folder and drive lists are told of their own notifications.
            if (drives_ && reinterpret_cast<HWND>(lparam) == drives_->handle())
                drives_->notify(HIWORD(wparam));
            else if (directories_ && reinterpret_cast<HWND>(lparam) == directories_->handle())
                directories_->notify(HIWORD(wparam));
            else
                command(id, HIWORD(wparam));
            return 0;
        }
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            if (directories_ && wparam == static_cast<WPARAM>(control_id("DirectoryListBox1")))
                return directories_->owner_draw(msg, lparam);
            break;
        case DM_GETDEFID: {
            int id = default_button();
            return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
        }
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd_, &r);
            FillRect(reinterpret_cast<HDC>(wparam), &r,
                     platform::UniqueBrush(CreateSolidBrush(color_)).get());
            return 1;
        }
        case WM_CLOSE:
            FormCloseQuery();
            FormClose();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            RemovePropA(hwnd_, kColorProperty);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd_, msg, wparam, lparam);
}

}  // namespace setup
