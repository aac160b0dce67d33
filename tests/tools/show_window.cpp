// show_window <program> [seconds]: starts a window program as a user would, waits for its
// first visible window, prints the window's class and caption (and any message box text),
// then closes the window and prints the exit code. The main job uses it to show Setup.exe
// starting under Wine without a display.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/window_driver.h"

using namespace testing_support;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::puts("usage: show_window <program> [seconds]");
        return 2;
    }
    const auto bound = std::chrono::seconds(argc > 2 ? std::atoi(argv[2]) : 30);
    std::string command = "\"";
    command += argv[1];
    command += '"';
    RunningProgram program(command, {});
    HWND hwnd = nullptr;
    for (const auto until = std::chrono::steady_clock::now() + bound;
         !hwnd && std::chrono::steady_clock::now() < until;) {
        hwnd = wait_for_window(program.pid(), "", "", std::chrono::milliseconds(200));
        if (program.wait_exit(std::chrono::milliseconds(0)) != -1) break;
    }
    if (!hwnd) {
        std::printf("no window; exit code %ld\n", program.wait_exit(std::chrono::seconds(5)));
        return 1;
    }
    std::printf("window class \"%s\", caption \"%s\"\n", class_of(hwnd).c_str(),
                window_text(hwnd).c_str());
    for (HWND child : child_windows(hwnd))
        if (class_of(child) == "Static" && IsWindowVisible(child) && !window_text(child).empty())
            std::printf("  text \"%s\"\n", window_text(child).c_str());
    std::puts("closing it");
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    std::printf("exit code %ld\n", program.wait_exit(bound));
    return 0;
}
