#pragma once
// Drives another process's windows as a user would (Windows only): finds them, reads their
// texts with WM_GETTEXT (GetWindowText does not cross processes) and presses buttons.
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// A started program; killed if still running when this goes.
class RunningProgram {
  public:
    // command_line and environment overrides (NAME=value) in the ANSI code page.
    RunningProgram(const std::string& command_line, const std::vector<std::string>& env_overrides,
                   const std::string& current_folder = "");
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    DWORD pid() const { return pi_.dwProcessId; }
    // The exit code, or -1 when it did not end in time.
    long wait_exit(std::chrono::milliseconds bound);

  private:
    PROCESS_INFORMATION pi_{};
};

// Starts the installer `program` and waits for its wizard window (class "TForm1"); prints
// why and returns nullptr when it did not show. For the tools that drive it.
HWND start_wizard(std::unique_ptr<RunningProgram>& running, const std::string& program,
                  std::chrono::seconds bound = std::chrono::seconds(60));

// A top-level window of the process with this class and/or caption ("" matches any),
// waited for up to `bound`; nullptr when none showed.
HWND wait_for_window(DWORD pid, const std::string& class_name, const std::string& caption,
                     std::chrono::milliseconds bound);
std::vector<HWND> top_level_windows(DWORD pid);
// Every visible top-level window of this class, whichever process owns it.
std::vector<HWND> top_level_windows_of_class(const std::string& class_name);
std::vector<HWND> child_windows(HWND parent);
// The descendant of `top` with this control id; nullptr when there is none.
HWND find_by_id(HWND top, int id);
std::string window_text(HWND hwnd);
// A message box's text: its last static control that holds any ("" for no box).
std::string message_text(HWND box);
std::string class_of(HWND hwnd);
// A list box item's text in the ANSI code page. Asked for in UTF-16: Wine hands another
// process's ANSI request the first character only.
std::string list_item_text(HWND list, long index);

}  // namespace testing_support
