#include "uninstall/running_programs_win32.h"

#include <windows.h>

#include <tlhelp32.h>

#include "paths/paths.h"
#include "platform/win_handle.h"

namespace setup::uninstall {

namespace {

// The process's program file; "" when the system does not tell.
std::string program_of(DWORD pid) {
    // Newer systems name it for a process opened with the least rights; older ones only
    // through the list of its modules, the first of which is the program.
    using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    static const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    if (query) {
        constexpr DWORD kQueryLimitedInformation = 0x1000;
        platform::UniqueHandle process(OpenProcess(kQueryLimitedInformation, FALSE, pid));
        char buffer[MAX_PATH * 2] = {};
        DWORD size = sizeof buffer;
        if (process && query(process.get(), 0, buffer, &size)) return std::string(buffer, size);
    }
    platform::UniqueHandle modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    if (modules && Module32First(modules.get(), &module)) return module.szExePath;
    return "";
}

}  // namespace

std::vector<std::string> programs_running_in(const std::string& folder,
                                             const std::string& also_excepted) {
    std::vector<std::string> out;
    platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return out;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId() || entry.th32ProcessID == 0) continue;
        const std::string program = program_of(entry.th32ProcessID);
        if (program.empty() || !paths::is_within(program, folder)) continue;
        if (!also_excepted.empty() && paths::same_path(program, also_excepted)) continue;
        out.push_back(program);
    }
    return out;
}

}  // namespace setup::uninstall
