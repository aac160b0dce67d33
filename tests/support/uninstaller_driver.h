#pragma once
// Drives Odinstaluj.exe from another program (Windows only). Started without arguments, the
// uninstaller hands over to a working copy of itself in the temporary folder, which shows the
// window: status label 1001, progress bar 1002, results list 1003, "Usuń" IDOK, "Zamknij"
// IDCANCEL; its questions are message boxes.
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/window_driver.h"

namespace testing_support {

inline constexpr int kUninstallerStatus = 1001;
inline constexpr int kUninstallerResults = 1003;

// The uninstaller's working copy, found by its window wherever it was started from; ended
// by force if a test leaves it running.
class UninstallerCopy {
  public:
    ~UninstallerCopy() {
        if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_, 99);
        if (process_) CloseHandle(process_);
    }
    // Waits for the window; false when none showed.
    bool find(std::chrono::milliseconds bound) {
        const auto until = std::chrono::steady_clock::now() + bound;
        do {
            window_ = FindWindowA("OdinstalujWindow", nullptr);
            if (window_ && IsWindowVisible(window_)) {
                GetWindowThreadProcessId(window_, &pid_);
                process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid_);
                return process_ != nullptr;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < until);
        return false;
    }
    // What the desktop shows instead, for a failed find(): each visible message box's text.
    static std::string visible_boxes() {
        std::string out;
        for (HWND box : top_level_windows_of_class("#32770"))
            out.append(" [").append(window_text(box)).append(": ").append(message_text(box)) += ']';
        return out.empty() ? " no message box" : out;
    }
    HWND window() const { return window_; }
    DWORD pid() const { return pid_; }
    bool ended(std::chrono::milliseconds bound) const {
        return WaitForSingleObject(process_, static_cast<DWORD>(bound.count())) == WAIT_OBJECT_0;
    }
    std::string status() const { return window_text(find_by_id(window_, kUninstallerStatus)); }
    bool wait_status(const std::string& expected, std::chrono::milliseconds bound) const {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (status() != expected) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    std::vector<std::string> results() const {
        HWND list = find_by_id(window_, kUninstallerResults);
        std::vector<std::string> out;
        const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) out.push_back(list_item_text(list, i));
        return out;
    }
    void press(int id) const { SendMessageA(find_by_id(window_, id), BM_CLICK, 0, 0); }
    // A message box of the copy; its text label's contents in `text`.
    HWND message_box(std::string& text, std::chrono::milliseconds bound) const {
        HWND box = wait_for_window(pid_, "#32770", "", bound);
        text = message_text(box);
        return box;
    }

  private:
    HWND window_ = nullptr;
    DWORD pid_ = 0;
    HANDLE process_ = nullptr;
};

inline void answer(HWND box, int id) {
    // Posted: the box ends its own modal loop, which a sent click would wait inside.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

}  // namespace testing_support
