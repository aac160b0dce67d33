// pipe_reader <command line>: runs the command with its output on an anonymous pipe that this
// program reads as fast as it can, and prints the seconds until the command has ended. The
// runner benchmark's baseline for what the pipe itself costs.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::puts("usage: pipe_reader <command line>");
        return 2;
    }
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) return 1;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = write_end;
    PROCESS_INFORMATION pi{};
    std::string command = argv[1];
    const DWORD start = GetTickCount();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &si, &pi))
        return 1;
    CloseHandle(write_end);
    static char buffer[1 << 16];
    DWORD n = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    std::printf("%.3f\n", (GetTickCount() - start) / 1000.0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(read_end);
    return 0;
}
