// Witaj.exe: the sample product's program. The sample installation starts it once after
// installing, from the target folder. It greets the user; when PRZYKLAD_DZIENNIK names a
// file it instead appends one line there (its command line, a tab, its current folder,
// CR LF), so that an unattended run shows how it was started.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log_path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("PRZYKLAD_DZIENNIK", log_path, sizeof log_path);
    if (n == 0 || n >= sizeof log_path) {
        MessageBoxA(nullptr, "Witaj! Przykładowy Program jest zainstalowany.",
                    "Przykładowy Program", MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    std::string line = GetCommandLineA();
    line += '\t';
    line += folder;
    line += "\r\n";
    HANDLE file = CreateFileA(log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
