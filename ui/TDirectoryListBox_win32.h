#pragma once
// The folder list of the target-folder page: the folders from the drive's root down to the
// current folder, then the current folder's sub-folders. Opening a row (double-click, or
// Enter when the key reaches the list) makes its folder the current one.
//
// The list's notifications and drawing requests go to its parent window; the owner passes
// them on: WM_COMMAND from handle() to notify(), WM_DRAWITEM and WM_MEASUREITEM for its id to
// owner_draw(). Enter is not claimed through WM_GETDLGCODE, so where the owner runs dialog
// navigation (IsDialogMessage) Enter stays with its default button.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/folder_tree.h"

namespace setup {

class TDriveComboBox;

namespace detail {

// What a control does with messages sent to its own window: true when handled, with
// `result` the message's result; otherwise the window's class handles it. Implementations
// must not throw; ControlWindow stops anything that does.
class ControlHooks {
  public:
    virtual bool own_message(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;

  protected:
    ~ControlHooks() = default;
};

// One child control window, owned: created with its font and its messages passed through
// the hooks first (comctl32's window subclassing), destroyed with its owner unless its
// parent destroyed it first. The font stays the caller's.
class ControlWindow {
  public:
    ControlWindow(const char* window_class, DWORD style, DWORD ex_style, HWND parent, int id, int x,
                  int y, int width, int height, HFONT font, ControlHooks& hooks);
    ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    // nullptr once the window is gone.
    HWND handle() const { return hwnd_; }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                 UINT_PTR subclass, DWORD_PTR self);

    ControlHooks& hooks_;
    HWND hwnd_ = nullptr;
};

}  // namespace detail

class TDirectoryListBox : private detail::ControlHooks {
  public:
    static constexpr int kRowHeight = 16;

    // Starts at the process's current folder (empty when that cannot be read).
    // Throws RuntimeError when the window cannot be created.
    TDirectoryListBox(HWND parent, int id, int x, int y, int width, int height, HFONT font);
    ~TDirectoryListBox();
    TDirectoryListBox(const TDirectoryListBox&) = delete;
    TDirectoryListBox& operator=(const TDirectoryListBox&) = delete;

    HWND handle() const { return window_.handle(); }

    // The current folder: "C:\" for a drive root, no "\" at the end of any other folder.
    const std::string& current_folder() const { return current_; }
    const std::vector<FolderRow>& rows() const { return rows_; }

    // Makes `path` (full, or relative to the process's current folder; "D:" is drive D's
    // current folder) the current folder and refills the rows from the disk. Throws
    // RuntimeError naming the folder when it cannot be read; the list then keeps its folder
    // and rows. The change event follows when current_folder() changed; setting the same
    // folder again only rereads its sub-folders.
    void set_current_folder(std::string_view path);

    // Makes the folder of row `index` current, as a double-click on it does; nothing for an
    // index outside the rows. Throws as set_current_folder.
    void open_row(int index);

    // The change event: called after every change of the current folder, once the rows are
    // refilled. What it throws reaches set_current_folder's caller, or is dropped when the
    // change came from the user.
    std::function<void()> on_change;

    // For the owner's window procedure: the notification code of a WM_COMMAND that the
    // parent received from handle(). A double-click opens the selected row.
    void notify(WORD code) noexcept;

    // For the owner's window procedure: WM_DRAWITEM or WM_MEASUREITEM (msg) that the parent
    // received for this control's id; returns the message's result.
    LRESULT owner_draw(UINT msg, LPARAM lparam) noexcept;

  private:
    friend class TDriveComboBox;

    bool own_message(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
    void open_selected() noexcept;
    void fill();
    void draw_row(const DRAWITEMSTRUCT& item) const;

    std::string current_;
    std::vector<FolderRow> rows_;
    TDriveComboBox* drives_ = nullptr;  // the linked drive list, which follows our drive
    detail::ControlWindow window_;      // last: gone before the state its hooks use
};

}  // namespace setup
