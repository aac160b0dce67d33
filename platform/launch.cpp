#include "launch.h"

#include <windows.h>

#include <vector>

#include "win_handle.h"

namespace setup::platform {

void LaunchProgram(const std::string& command_line) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    // CreateProcessA may write into the command line.
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &pi))
        return;
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    WaitForInputIdle(process.get(), 1000);
    WaitForSingleObject(process.get(), 10000);
    WaitForSingleObject(thread.get(), 10000);
}

}  // namespace setup::platform
