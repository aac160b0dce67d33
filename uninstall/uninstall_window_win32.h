#pragma once
// The uninstaller's window. How another program drives it:
//   - class "OdinstalujWindow", caption "<product title> - odinstalowanie", shown by the copy
//     of the uninstaller that runs from the temporary folder (not by the process the user
//     started, which ends at once);
//   - the status label (id 1001) first asks "Na pewno usunąć <title>?"; "Usuń" (IDOK, the
//     default button, Enter) starts the removal, "Zamknij" (IDCANCEL, Esc) closes without
//     removing anything;
//   - while it removes, the status label names the step (checking running programs, files,
//     registry, "Czekaj...") and the progress bar (id 1002) moves; "Zamknij", Esc or closing
//     the window asks "Na pewno przerwać kasowanie?" in a message box (Yes stops after the
//     current item and keeps the uninstaller and its record, No goes on);
//   - programs running from the target folder are named in a message box with "Ponów" (IDRETRY,
//     looks again) and "Anuluj" (IDCANCEL, removes nothing);
//   - at the end the status label holds "Usuwanie zakończone pomyślnie!" (or says that not
//     everything could be removed, or that the removal was stopped), the list box (id 1003)
//     what could not be removed, what goes at restart and the files kept; "Usuń" is disabled
//     and the window waits for "Zamknij" (now the default button: Enter or Esc), which ends
//     the program; its file in the temporary folder goes with it.
#include <windows.h>

#include <string>
#include <vector>

#include "common/installation_log.h"
#include "platform/take_back.h"
#include "uninstall/record.h"
#include "uninstall/removal_plan.h"
#include "uninstall/report.h"

namespace setup::uninstall {

inline constexpr const char* kWindowClass = "OdinstalujWindow";
inline constexpr int kStatusId = 1001;
inline constexpr int kProgressId = 1002;
inline constexpr int kResultsId = 1003;

class UninstallWindow {
  public:
    // Each step, refusal and the end go to `log` as they happen; it must outlive the window.
    UninstallWindow(Record record, PlanInput input, InstallationLog& log);
    UninstallWindow(const UninstallWindow&) = delete;
    UninstallWindow& operator=(const UninstallWindow&) = delete;

    // Registers the class and creates and shows the window; false when that fails.
    bool create(HINSTANCE instance);
    // Gives the window its keyboard handling (Tab, Enter, Esc); true when the message is done.
    bool translate(MSG& msg) const;

  private:
    enum class State { asking, checking, removing, finished };

    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT msg, WPARAM wparam, LPARAM lparam);
    void create_controls();
    void start();
    void request_close();
    void step();
    bool programs_closed();
    void finish();
    void set_status(const std::string& text);
    void show_lines(const std::vector<std::string>& lines);
    int ask(const std::string& question, UINT buttons);

    Record record_;
    PlanInput input_;
    Plan plan_;
    platform::TakeBack take_back_;
    Report report_;
    InstallationLog& log_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;  // the stock GUI font, never deleted
    std::string title_;
    State state_ = State::asking;
    size_t next_step_ = 0;
    bool asking_stop_ = false;
    bool step_waiting_ = false;
    bool stop_requested_ = false;
};

}  // namespace setup::uninstall
