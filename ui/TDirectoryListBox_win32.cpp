#include "ui/TDirectoryListBox_win32.h"

#include <commctrl.h>

#include <initializer_list>

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/win_handle.h"
#include "ui/TDriveComboBox_win32.h"

namespace setup {

namespace detail {

ControlWindow::ControlWindow(const char* window_class, DWORD style, DWORD ex_style, HWND parent,
                             int id, int x, int y, int width, int height, HFONT font,
                             ControlHooks& hooks)
    : hooks_(hooks) {
    hwnd_ = CreateWindowExA(ex_style, window_class, "", style | WS_CHILD, x, y, width, height,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        const DWORD code = GetLastError();
        throw RuntimeError(std::string("Nie można utworzyć kontrolki ") + window_class + ": " +
                           platform::system_message(code));
    }
    if (!SetWindowSubclass(hwnd_, proc, 0, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(hwnd_);
        throw RuntimeError(std::string("Nie można przejąć komunikatów kontrolki ") + window_class);
    }
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

ControlWindow::~ControlWindow() {
    if (hwnd_ != nullptr) {
        RemoveWindowSubclass(hwnd_, proc, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK ControlWindow::proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR subclass, DWORD_PTR self) {
    auto* me = reinterpret_cast<ControlWindow*>(self);
    if (msg == WM_NCDESTROY) {
        // Destroyed with its parent, before its owner: the handle must not be used again.
        RemoveWindowSubclass(hwnd, proc, subclass);
        me->hwnd_ = nullptr;
        return DefSubclassProc(hwnd, msg, wparam, lparam);
    }
    try {
        LRESULT result = 0;
        if (me->hooks_.own_message(msg, wparam, lparam, result)) return result;
    } catch (...) {
        // The hooks keep their state on failure; nothing may cross into the system.
    }
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}

}  // namespace detail

namespace {

// While alive, a drive without a medium fails at once instead of asking the user to insert
// one in a system dialog that would stop the wizard.
class QuietCriticalErrors {
  public:
    QuietCriticalErrors() : previous_(SetErrorMode(kQuiet)) { SetErrorMode(previous_ | kQuiet); }
    ~QuietCriticalErrors() { SetErrorMode(previous_); }
    QuietCriticalErrors(const QuietCriticalErrors&) = delete;
    QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;

  private:
    static constexpr UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    UINT previous_;
};

using platform::UniqueFind;

[[noreturn]] void fail(const std::string& folder, DWORD code) {
    throw RuntimeError("Nie można otworzyć folderu " + folder + ": " +
                       platform::system_message(code));
}

std::string full_path_of(const std::string& path) {
    std::string out(MAX_PATH, '\0');
    for (;;) {
        DWORD n =
            GetFullPathNameA(path.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
        if (n == 0) fail(path, GetLastError());
        if (n < out.size()) {
            out.resize(n);
            return out;
        }
        out.resize(n);
    }
}

// The same path with every short (8.3) name replaced by the long one, as the user knows
// the folders; fails for a path that does not exist.
std::string long_path_of(const std::string& path) {
    std::string out(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetLongPathNameA(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
        if (n == 0) fail(path, GetLastError());
        if (n < out.size()) {
            out.resize(n);
            return out;
        }
        out.resize(n);
    }
}

struct Listing {
    std::string folder;  // normal form
    std::vector<std::string> subfolders;
};

Listing read_folder(const std::string& requested) {
    if (requested.empty()) throw RuntimeError("Nie podano folderu do otwarcia");
    QuietCriticalErrors quiet;
    const std::string full = full_path_of(requested);
    Listing out{normal_folder(long_path_of(full)), {}};
    const DWORD attributes = GetFileAttributesA(out.folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) fail(full, GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) fail(full, ERROR_DIRECTORY);

    WIN32_FIND_DATAA found{};
    UniqueFind find(FindFirstFileA(join_folder(out.folder, "*").c_str(), &found));
    if (!find) {
        // An empty drive root has not even "." and "..".
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES) fail(full, code);
        return out;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            out.subfolders.emplace_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) fail(full, code);
    return out;
}

constexpr int kIndent = 10;
constexpr int kGlyphWidth = 14;
constexpr int kGlyphHeight = 11;

// A folder: a tab on a body; an open one (on the path to the current folder) lighter.
void draw_folder_glyph(HDC dc, int x, int y, bool open) {
    platform::UniqueBrush fill(CreateSolidBrush(open ? RGB(255, 236, 160) : RGB(240, 200, 80)));
    platform::UniqueBrush edge(CreateSolidBrush(RGB(128, 96, 0)));
    if (!fill || !edge) return;
    const RECT tab{x, y, x + 6, y + 3};
    const RECT body{x, y + 2, x + kGlyphWidth, y + kGlyphHeight};
    for (const RECT& r : {tab, body}) {
        FillRect(dc, &r, fill.get());
        FrameRect(dc, &r, edge.get());
    }
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(HWND parent, int id, int x, int y, int width, int height,
                                     HFONT font)
    : window_("LISTBOX",
              WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                  LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE, parent, id, x, y, width, height, font, *this) {
    // The list asked its owner for the row height while being created, before the owner
    // could know this object: set it now.
    SendMessageA(handle(), LB_SETITEMHEIGHT, 0, kRowHeight);
    try {
        set_current_folder(".");
    } catch (const RuntimeError&) {
        // No folder yet; the owner sets one.
    }
}

TDirectoryListBox::~TDirectoryListBox() {
    if (drives_ != nullptr) drives_->list_ = nullptr;
}

void TDirectoryListBox::set_current_folder(std::string_view path) {
    Listing listing = read_folder(std::string(path));
    const bool changed = listing.folder != current_;
    current_ = std::move(listing.folder);
    rows_ = folder_rows(current_, std::move(listing.subfolders));
    fill();
    if (drives_ != nullptr) drives_->set_drive_of(current_);
    if (changed && on_change) on_change();
}

void TDirectoryListBox::open_row(int index) {
    if (index < 0 || static_cast<size_t>(index) >= rows_.size()) return;
    const std::string folder = rows_[static_cast<size_t>(index)].path;
    set_current_folder(folder);
}

void TDirectoryListBox::fill() {
    HWND list = handle();
    if (list == nullptr) return;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int current_row = -1;
    for (size_t i = 0; i < rows_.size(); ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows_[i].text.c_str()));
        if (rows_[i].open) current_row = static_cast<int>(i);
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(current_row), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void TDirectoryListBox::open_selected() noexcept {
    const auto index = static_cast<int>(SendMessageA(handle(), LB_GETCURSEL, 0, 0));
    try {
        open_row(index);
    } catch (...) {
        // The folder could not be read: the list stays where it was, its row marked again.
        fill();
    }
}

bool TDirectoryListBox::own_message(UINT msg, WPARAM wparam, LPARAM, LRESULT& result) {
    if (msg == WM_KEYDOWN && wparam == VK_RETURN) {
        open_selected();
        result = 0;
        return true;
    }
    return false;
}

void TDirectoryListBox::notify(WORD code) noexcept {
    if (code == LBN_DBLCLK) open_selected();
}

LRESULT TDirectoryListBox::owner_draw(UINT msg, LPARAM lparam) noexcept {
    if (msg == WM_MEASUREITEM) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = kRowHeight;
        return TRUE;
    }
    if (msg == WM_DRAWITEM) {
        draw_row(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    }
    return FALSE;
}

void TDirectoryListBox::draw_row(const DRAWITEMSTRUCT& item) const {
    const RECT& r = item.rcItem;
    if (item.itemAction == ODA_FOCUS) {
        DrawFocusRect(item.hDC, &r);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID < rows_.size()) {
        const FolderRow& row = rows_[item.itemID];
        const int x = static_cast<int>(r.left) + 2 + row.depth * kIndent;
        draw_folder_glyph(item.hDC, x, static_cast<int>(r.top + r.bottom - kGlyphHeight) / 2,
                          row.open);
        platform::Selection font(
            item.hDC, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT text{x + kGlyphWidth + 4, r.top, r.right, r.bottom};
        DrawTextA(item.hDC, row.text.c_str(), static_cast<int>(row.text.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &r);
}

}  // namespace setup
