#include "ui/TDriveComboBox_win32.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace setup {

namespace {

// Rows the dropped list has room for below the closed box.
constexpr int kDroppedRows = 8;

// Upper-case letter of a path's drive; 0 for a path without one.
char drive_letter_of(std::string_view path) {
    const std::string root = root_of(path);
    return root.size() == 3 && root[1] == ':' ? root[0] : 0;
}

int find_drive(HWND box, char letter) {
    const char text[3] = {letter, ':', '\0'};
    return static_cast<int>(SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text)));
}

}  // namespace

TDriveComboBox::TDriveComboBox(HWND parent, int id, int x, int y, int width, int height, HFONT font)
    : window_("COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, parent, id, x,
              y, width, height + kDroppedRows * TDirectoryListBox::kRowHeight, font, *this) {
    // The closed box is its selection field and a 3-pixel edge above and below it.
    if (height > 6) SendMessageA(handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - 6);
    reload();
}

TDriveComboBox::~TDriveComboBox() {
    if (list_ != nullptr) list_->drives_ = nullptr;
}

void TDriveComboBox::link(TDirectoryListBox& list) {
    if (list_ != nullptr) list_->drives_ = nullptr;
    if (list.drives_ != nullptr) list.drives_->list_ = nullptr;
    list_ = &list;
    list.drives_ = this;
    set_drive_of(list.current_folder());
}

void TDriveComboBox::set_drive_of(std::string_view path) {
    HWND box = handle();
    if (box == nullptr) return;
    const char letter = drive_letter_of(path);
    if (letter != 0 && find_drive(box, letter) == CB_ERR) reload();
    const int index = letter != 0 ? find_drive(box, letter) : CB_ERR;
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

char TDriveComboBox::drive() const {
    HWND box = handle();
    if (box == nullptr) return 0;
    const auto index = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return 0;
    const auto length = SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return 0;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    return drive_letter_of(text.c_str());
}

void TDriveComboBox::reload() {
    HWND box = handle();
    if (box == nullptr) return;
    std::string drives(128, '\0');
    for (;;) {
        const DWORD n = GetLogicalDriveStringsA(static_cast<DWORD>(drives.size()), drives.data());
        if (n < drives.size()) {
            drives.resize(n);
            break;
        }
        drives.resize(n + 1);
    }
    const char selected = drive();
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    // "c:\", "d:\", ... each ended by a NUL.
    for (size_t at = 0; at < drives.size();) {
        const size_t end = std::min(drives.find('\0', at), drives.size());
        const char letter = drive_letter_of(std::string_view(drives).substr(at, end - at));
        if (letter != 0) {
            const char text[3] = {letter, ':', '\0'};
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
        at = end + 1;
    }
    if (selected != 0)
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(find_drive(box, selected)), 0);
}

void TDriveComboBox::choose_selected() noexcept {
    const char letter = drive();
    if (list_ == nullptr || letter == 0 || letter == drive_letter_of(list_->current_folder()))
        return;
    // The drive's current folder, or its root when that folder has gone meanwhile.
    const std::string current{letter, ':'};
    const std::string root{letter, ':', '\\'};
    for (const std::string* folder : {&current, &root}) {
        try {
            list_->set_current_folder(*folder);
            return;
        } catch (...) {
        }
        // Gone with the owner's handler, or moved and then failed in the handler.
        if (list_ == nullptr || drive_letter_of(list_->current_folder()) == letter) return;
    }
    // Unreadable (no medium, removed): the list keeps its folder, and this its drive.
    set_drive_of(list_->current_folder());
}

void TDriveComboBox::notify(WORD code) noexcept {
    if (code == CBN_SELCHANGE) choose_selected();
    if (code == CBN_DROPDOWN) reload();
}

}  // namespace setup
