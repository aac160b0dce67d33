// The folder list and the drive list as windows on a hidden host, driven with the messages a
// user's actions produce.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/error/runtime_error.h"
#include "platform/win_handle.h"
#include "tests/support/temp_tree.h"
#include "ui/TDirectoryListBox_win32.h"
#include "ui/TDriveComboBox_win32.h"

namespace setup {
namespace {

constexpr int kListId = 1801;
constexpr int kDrivesId = 1901;
using Font = platform::UniqueGdi;
Font make_font() {
    return Font(CreateFontA(13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, 0, 0,
                            0, 0, "MS Sans Serif"));
}
const std::string kPolish = "Zażółć gęślą";  // CP1250, as the test is compiled

// A hidden top-level window as parent of the controls. Its window procedure passes their
// notifications and drawing requests on, as an owner must.
class Host {
  public:
    Host() {
        static const ATOM atom = [] {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "FolderControlsTestHost";
            return RegisterClassExA(&wc);
        }();
        hwnd_ = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Host() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    HWND get() const { return hwnd_; }
    void forward_to(TDirectoryListBox* list, TDriveComboBox* drives) {
        list_ = list;
        drives_ = drives;
    }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
        auto* host = reinterpret_cast<Host*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (host != nullptr && msg == WM_COMMAND) {
            const auto from = reinterpret_cast<HWND>(lparam);
            if (host->list_ != nullptr && from == host->list_->handle())
                host->list_->notify(HIWORD(wparam));
            if (host->drives_ != nullptr && from == host->drives_->handle())
                host->drives_->notify(HIWORD(wparam));
        }
        if (host != nullptr && host->list_ != nullptr && wparam == kListId &&
            (msg == WM_DRAWITEM || msg == WM_MEASUREITEM))
            return host->list_->owner_draw(msg, lparam);
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }

    HWND hwnd_;
    TDirectoryListBox* list_ = nullptr;
    TDriveComboBox* drives_ = nullptr;
};

// Restores the process's current folder.
class CurrentFolderGuard {
  public:
    CurrentFolderGuard() {
        char buffer[MAX_PATH * 2] = {};
        GetCurrentDirectoryA(sizeof buffer, buffer);
        saved_ = buffer;
    }
    ~CurrentFolderGuard() { SetCurrentDirectoryA(saved_.c_str()); }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

  private:
    std::string saved_;
};

// The texts of a list's or a combo box's items, read with that control's messages.
std::vector<std::string> item_texts(HWND control, UINT count, UINT length, UINT text) {
    std::vector<std::string> out;
    for (LRESULT i = 0, n = SendMessageA(control, count, 0, 0); i < n; ++i) {
        std::string item(static_cast<size_t>(SendMessageA(control, length, i, 0)) + 1, '\0');
        SendMessageA(control, text, i, reinterpret_cast<LPARAM>(item.data()));
        out.emplace_back(item.c_str());
    }
    return out;
}

std::vector<std::string> list_texts(HWND list) {
    return item_texts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::string> combo_texts(HWND combo) {
    return item_texts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::string selected_drive_text(HWND combo) {
    const auto index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? "" : combo_texts(combo).at(static_cast<size_t>(index));
}

int list_index_of(HWND list, const std::string& text) {
    const std::vector<std::string> texts = list_texts(list);
    const auto at = std::find(texts.begin(), texts.end(), text);
    return at == texts.end() ? -1 : static_cast<int>(at - texts.begin());
}

char unused_drive_letter() {
    const DWORD used = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'B'; --letter)
        if (!(used & (1u << (letter - 'A')))) return letter;
    return 0;
}

class FolderControls : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(host_.get(), nullptr);
        root_ = testing_support::native(temp_.path());
        for (const std::string& name : std::vector<std::string>{"beta", "Alfa", kPolish, "Ćma"})
            ASSERT_TRUE(CreateDirectoryA(folder(name).c_str(), nullptr)) << name;
        ASSERT_TRUE(CreateDirectoryA(folder("beta\\głęboki").c_str(), nullptr));
        testing_support::write_file(temp_.path() / "plik.txt", "nie folder");
        host_.forward_to(&list_, &drives_);
        list_.on_change = [this] { ++changes_; };
        drives_.link(list_);
    }

    std::string folder(const std::string& name) const { return root_ + "\\" + name; }
    HWND list() const { return list_.handle(); }
    HWND combo() const { return drives_.handle(); }

    void double_click_row(int index) {
        SendMessageA(list(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(host_.get(), WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(list()));
    }

    void choose_drive(const std::string& text) {
        const auto index = SendMessageA(combo(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text.c_str()));
        ASSERT_NE(index, CB_ERR) << text;
        SendMessageA(combo(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(host_.get(), WM_COMMAND, MAKEWPARAM(kDrivesId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo()));
    }

    Host host_;
    Font font_ = make_font();
    testing_support::TempDir temp_;
    std::string root_;
    TDirectoryListBox list_{
        host_.get(), kListId, 32, 64, 433, 121, static_cast<HFONT>(font_.get())};
    TDriveComboBox drives_{
        host_.get(), kDrivesId, 32, 192, 433, 22, static_cast<HFONT>(font_.get())};
    int changes_ = 0;
};

TEST_F(FolderControls, ListShowsPathFromRootThenSortedSubfolders) {
    list_.set_current_folder(root_ + "\\");
    EXPECT_EQ(list_.current_folder(), root_);
    EXPECT_EQ(changes_, 1);

    const std::vector<std::string> texts = list_texts(list());
    const auto current = static_cast<int>(SendMessageA(list(), LB_GETCURSEL, 0, 0));
    ASSERT_GE(current, 1);
    ASSERT_EQ(texts.size(), static_cast<size_t>(current) + 5);
    EXPECT_EQ(texts.front(), root_.substr(0, 3));
    EXPECT_EQ(texts[static_cast<size_t>(current)], temp_.path().filename().string());
    // Folders only, without regard to case, Polish letters after their base letter.
    EXPECT_EQ(std::vector<std::string>(texts.begin() + current + 1, texts.end()),
              (std::vector<std::string>{"Alfa", "beta", "Ćma", kPolish}));

    EXPECT_EQ(SendMessageA(list(), LB_GETITEMHEIGHT, 0, 0), TDirectoryListBox::kRowHeight);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(list(), WM_GETFONT, 0, 0)), font_.get());
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(combo(), WM_GETFONT, 0, 0)), font_.get());
}

TEST_F(FolderControls, OpeningRowsByDoubleClickAndEnterMovesAndNotifies) {
    list_.set_current_folder(root_);
    const int current = list_index_of(list(), temp_.path().filename().string());

    double_click_row(list_index_of(list(), kPolish));
    EXPECT_EQ(changes_, 2);
    EXPECT_EQ(list_.current_folder(), folder(kPolish));
    EXPECT_EQ(list_texts(list()).back(), kPolish);
    EXPECT_EQ(SendMessageA(list(), LB_GETCURSEL, 0, 0), current + 1);

    SendMessageA(list(), LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageA(list(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(changes_, 3);
    EXPECT_EQ(list_.current_folder(), root_);

    // The list itself turns a mouse double-click into the notification.
    RECT row{};
    SendMessageA(list(), LB_GETITEMRECT, static_cast<WPARAM>(list_index_of(list(), "beta")),
                 reinterpret_cast<LPARAM>(&row));
    const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    SendMessageA(list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list(), WM_LBUTTONUP, 0, at);
    SendMessageA(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(list(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(list_.current_folder(), folder("beta"));
    EXPECT_EQ(list_texts(list()).back(), "głęboki");
}

TEST_F(FolderControls, SameFolderAgainRereadsWithoutNotifying) {
    list_.set_current_folder(root_);
    ASSERT_TRUE(CreateDirectoryA(folder("nowy").c_str(), nullptr));
    list_.set_current_folder(root_ + "\\");
    EXPECT_EQ(changes_, 1);
    EXPECT_NE(list_index_of(list(), "nowy"), -1);
}

TEST_F(FolderControls, UnreadableFolderFailsAndListKeepsItsFolder) {
    list_.set_current_folder(root_);
    const std::vector<std::string> before = list_texts(list());
    const char unused = unused_drive_letter();
    std::vector<std::string> bad = {folder("brak"), folder("plik.txt")};
    if (unused != 0) bad.push_back(std::string{unused, ':', '\\'});
    for (const std::string& path : bad) {
        SCOPED_TRACE(path);
        try {
            list_.set_current_folder(path);
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_EQ(list_.current_folder(), root_);
        EXPECT_EQ(list_texts(list()), before);
    }
    EXPECT_THROW(list_.set_current_folder(""), RuntimeError);

    // A row whose folder went away after the list was filled: nothing happens.
    ASSERT_TRUE(RemoveDirectoryA(folder("Alfa").c_str()));
    double_click_row(list_index_of(list(), "Alfa"));
    EXPECT_EQ(list_.current_folder(), root_);
    EXPECT_EQ(changes_, 1);
    EXPECT_EQ(SendMessageA(list(), LB_GETCURSEL, 0, 0),
              list_index_of(list(), temp_.path().filename().string()));
}

TEST_F(FolderControls, DriveListShowsUpperCaseDrivesAndFollowsTheList) {
    const std::vector<std::string> texts = combo_texts(combo());
    DWORD mask = GetLogicalDrives();
    std::vector<std::string> expected;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (mask & (1u << (letter - 'A'))) expected.push_back({letter, ':'});
    EXPECT_EQ(texts, expected);

    // Closed, the box is as high as the layout says; dropped, it has room for the drives.
    RECT closed{}, dropped{};
    GetWindowRect(combo(), &closed);
    SendMessageA(combo(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(closed.bottom - closed.top, 22);
    EXPECT_GT(dropped.bottom - dropped.top, 22 + 3 * TDirectoryListBox::kRowHeight);

    list_.set_current_folder(root_);
    EXPECT_EQ(selected_drive_text(combo()), root_.substr(0, 2));

    // Selecting a drive for a path raises nothing and leaves the list alone.
    const std::string other =
        expected.back() == root_.substr(0, 2) ? expected.front() : expected.back();
    drives_.set_drive_of(std::string{static_cast<char>(other[0] + 'a' - 'A'), ':', '\\', 'x'});
    EXPECT_EQ(selected_drive_text(combo()), other);
    EXPECT_EQ(drives_.drive(), other[0]);
    EXPECT_EQ(list_.current_folder(), root_);
    EXPECT_EQ(changes_, 1);
}

TEST_F(FolderControls, ChoosingADriveMovesTheListToThatDrivesCurrentFolder) {
    CurrentFolderGuard guard;
    const std::string drive = root_.substr(0, 2);
    std::string other;
    for (const std::string& text : combo_texts(combo()))
        if (text != drive) other = text;
    if (other.empty()) GTEST_SKIP() << "only one drive";

    // The process's current folder is its drive's current folder; another drive's is kept
    // in the "=X:" variable. This program's own folder serves when it lies on that drive.
    char module[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string remembered = parent_folder(module);
    if (root_of(remembered) != other + "\\") remembered = other + "\\";
    ASSERT_TRUE(SetCurrentDirectoryA(folder("beta").c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA(("=" + other).c_str(), remembered.c_str()));
    list_.set_current_folder(other + "\\");
    ASSERT_EQ(changes_, 1);

    choose_drive(drive);
    EXPECT_EQ(list_.current_folder(), folder("beta"));
    EXPECT_EQ(list_texts(list()).back(), "głęboki");
    EXPECT_EQ(changes_, 2);

    choose_drive(other);
    EXPECT_EQ(list_.current_folder(), remembered);
    EXPECT_EQ(changes_, 3);
}

TEST_F(FolderControls, ChoosingAnUnreadableDriveKeepsFolderAndDrive) {
    // A drive that was listed and then went away, as a removed memory stick does.
    const char unused = unused_drive_letter();
    ASSERT_NE(unused, 0);
    list_.set_current_folder(root_);
    const std::string gone{unused, ':'};
    SendMessageA(combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gone.c_str()));

    choose_drive(gone);
    EXPECT_EQ(list_.current_folder(), root_);
    EXPECT_EQ(changes_, 1);
    EXPECT_EQ(selected_drive_text(combo()), root_.substr(0, 2));
}

TEST(FolderControlsLifetime, ParentDestroyedFirstOrLinkedPartnerGone) {
    Host host;
    Font font = make_font();
    auto list = std::make_unique<TDirectoryListBox>(host.get(), kListId, 0, 0, 200, 100,
                                                    static_cast<HFONT>(font.get()));
    TDriveComboBox drives(host.get(), kDrivesId, 0, 110, 200, 22, static_cast<HFONT>(font.get()));
    drives.link(*list);
    host.forward_to(list.get(), &drives);
    // A new list starts at the process's current folder.
    char process_folder[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof process_folder, process_folder);
    EXPECT_EQ(list->current_folder(), normal_folder(process_folder));

    // The drive list outlives the folder list it was linked with.
    host.forward_to(nullptr, &drives);
    list.reset();
    SendMessageA(drives.handle(), CB_SETCURSEL, 0, 0);
    SendMessageA(host.get(), WM_COMMAND, MAKEWPARAM(kDrivesId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives.handle()));

    // The parent takes the controls' windows with it; their owners then have nothing to do.
    TDirectoryListBox second(host.get(), kListId, 0, 0, 200, 100, static_cast<HFONT>(font.get()));
    DestroyWindow(host.get());
    EXPECT_EQ(second.handle(), nullptr);
    EXPECT_EQ(drives.handle(), nullptr);
    EXPECT_EQ(drives.drive(), 0);
}

}  // namespace
}  // namespace setup
