// install_timer <Setup.exe> <target folder>: walks the wizard to the summary, sets the
// target folder, confirms, and prints the seconds from the confirmation until the extractor
// has finished (its file in the temporary folder is gone), then closes the window.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "window_driver.h"
#include "wizard_rules.h"

using namespace testing_support;

namespace {
HWND find(HWND form, const char* name) {
    return find_by_id(form, setup::control_id(name));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::puts("usage: install_timer <Setup.exe> <target folder>");
        return 2;
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string extractor = std::string(temp) + "Uha.exe";
    std::unique_ptr<RunningProgram> program;
    HWND form = start_wizard(program, argv[1]);
    if (!form) return 1;
    SendMessageA(find(form, "Button4"), BM_CLICK, 0, 0);
    SendMessageA(find(form, "Edit1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    SendMessageA(find(form, "Button7"), BM_CLICK, 0, 0);
    SendMessageA(find(form, "Button9"), BM_CLICK, 0, 0);
    const auto start = std::chrono::steady_clock::now();
    PostMessageA(find(form, "Button12"), BM_CLICK, 0, 0);
    while (GetFileAttributesA(extractor.c_str()) != INVALID_FILE_ATTRIBUTES)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f\n", seconds);
    PostMessageA(form, WM_CLOSE, 0, 0);
    program->wait_exit(std::chrono::seconds(30));
    return 0;
}
