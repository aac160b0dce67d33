#pragma once
// The drive list of the target-folder page: the system's drives as "C:", "D:", ... Linked to
// a folder list, choosing a drive moves the list to that drive's current folder, and the
// drive list follows the drive of whatever folder the list shows.
//
// Like the folder list's, its notifications go to its parent, and the owner passes them on
// to notify().
#include <windows.h>

#include <string_view>

#include "ui/TDirectoryListBox_win32.h"

namespace setup {

class TDriveComboBox : private detail::ControlHooks {
  public:
    // `height` is that of the closed box; the dropped list gets room below it. Throws
    // RuntimeError when the window cannot be created.
    TDriveComboBox(HWND parent, int id, int x, int y, int width, int height, HFONT font);
    ~TDriveComboBox();
    TDriveComboBox(const TDriveComboBox&) = delete;
    TDriveComboBox& operator=(const TDriveComboBox&) = delete;

    HWND handle() const { return window_.handle(); }

    // Links this drive list with `list` (replacing any earlier link on either side) and
    // selects the drive of its current folder.
    void link(TDirectoryListBox& list);

    // Selects the drive of `path` ("d:\x" selects "D:"), rereading the system's drives
    // when it is not listed; no selection for a path without a drive letter. Raises nothing
    // and leaves the folder list alone.
    void set_drive_of(std::string_view path);

    // The selected drive's letter in upper case; 0 when none is selected.
    char drive() const;

    // Rereads the system's drives, keeping the selected one where it is still there. Done
    // each time the list drops down, so a drive attached meanwhile shows.
    void reload();

    // For the owner's window procedure: the notification code of a WM_COMMAND that the
    // parent received from handle(). CBN_SELCHANGE chooses the selected drive.
    void notify(WORD code) noexcept;

  private:
    friend class TDirectoryListBox;

    bool own_message(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
    void choose_selected() noexcept;

    TDirectoryListBox* list_ = nullptr;
    detail::ControlWindow window_;  // last: gone before the state its hooks use
};

}  // namespace setup
