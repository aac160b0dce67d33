#include "self_copy_win32.h"

#include <windows.h>

#include <cstdio>

#include "files.h"
#include "paths.h"
#include "runtime_error.h"
#include "texts.h"

namespace setup::uninstall {

using platform::system_message;
using platform::UniqueHandle;

void start_copy(const std::string& program, const Record& record) {
    const std::string temp = platform::GetTempDirectory();
    char name[40];
    std::snprintf(name, sizeof name, "Odinstaluj-%lx.exe", GetCurrentProcessId());
    const std::string copy = temp + name;
    if (!CopyFileA(program.c_str(), copy.c_str(), FALSE))
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, temp}) + ": " +
                           system_message(GetLastError()));

    // Delete-on-close with sharing for the loader: the file goes when the last handle to it,
    // the one the copy inherits, closes as the copy ends.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle doomed(CreateFileA(copy.c_str(), GENERIC_READ | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit, OPEN_EXISTING,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                    SYNCHRONIZE, TRUE, 0);
    UniqueHandle own(self);

    std::string command =
        copy_command_line(copy, {reinterpret_cast<std::uintptr_t>(self), program});
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!own || !CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                temp.c_str(), &startup, &started)) {
        const DWORD error = own ? GetLastError() : ERROR_INVALID_HANDLE;
        if (doomed)
            doomed.reset();
        else
            DeleteFileA(copy.c_str());
        throw RuntimeError(format_text(text(record, kCannotStart), {copy}) + " " +
                           system_message(error));
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    // Without the handle the system removes the copy at the next restart at least.
    if (!doomed) MoveFileExA(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void wait_for_original(const CopyArguments& arguments) {
    UniqueHandle original(reinterpret_cast<HANDLE>(arguments.original_process));
    // The original ends right after starting the copy; should it hang, its files count as
    // in use and are removed at restart.
    if (original) WaitForSingleObject(original.get(), 30000);
}

}  // namespace setup::uninstall
