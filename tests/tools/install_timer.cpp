// install_timer <Setup.exe> <target folder>: walks the wizard to the summary, sets the
// target folder, confirms, and prints the seconds from the confirmation until the extractor
// has finished (its file in the temporary folder is gone), then closes the window.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/installer_driver.h"
#include "tests/support/window_driver.h"

using namespace testing_support;

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
    walk_to_summary(form, argv[2]);
    const auto start = std::chrono::steady_clock::now();
    confirm_summary(form);
    while (GetFileAttributesA(extractor.c_str()) != INVALID_FILE_ATTRIBUTES)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f\n", seconds);
    PostMessageA(form, WM_CLOSE, 0, 0);
    program->wait_exit(std::chrono::seconds(30));
    return 0;
}
