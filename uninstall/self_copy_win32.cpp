#include "self_copy_win32.h"

#include <windows.h>

#include <optional>

#include "files.h"
#include "paths.h"
#include "private_folder.h"
#include "runtime_error.h"
#include "texts.h"

namespace setup::uninstall {

using platform::system_message;
using platform::UniqueHandle;

void start_copy(const std::string& program, const Record& record) {
    const std::string temp = platform::GetTempDirectory();
    DWORD error = 0;
    std::optional<platform::PrivateFolder> folder =
        platform::PrivateFolder::create(temp, kCopyFolderPrefix, error);
    if (!folder)
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, temp}) + ": " +
                           system_message(error));
    const std::string copy = folder->file("Odinstaluj.exe");
    // The folder is new, so nothing is there; should something be, it is not overwritten.
    if (!CopyFileA(program.c_str(), copy.c_str(), TRUE))
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, folder->path()}) +
                           ": " + system_message(GetLastError()));

    // Delete-on-close with sharing for the loader, none for writers: the file cannot be
    // changed while it waits to be started, and goes when the last handle to it, the one the
    // copy inherits, closes as the copy ends. Declared after the folder, so that on a failure
    // below it deletes the file before the folder goes.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle doomed(CreateFileA(copy.c_str(), GENERIC_READ | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit, OPEN_EXISTING,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!doomed) error = GetLastError();
    HANDLE self = nullptr;
    if (doomed && !DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                                   &self, SYNCHRONIZE, TRUE, 0))
        error = GetLastError();
    UniqueHandle own(self);

    std::string command =
        copy_command_line(copy, {reinterpret_cast<std::uintptr_t>(self), program});
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Its current folder the temporary folder, not its own: the copy removes its own folder.
    if (!doomed || !own ||
        !CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        temp.c_str(), &startup, &started)) {
        if (doomed && own) error = GetLastError();
        throw RuntimeError(format_text(text(record, kCannotStart), {copy}) + " " +
                           system_message(error));
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    folder->release();  // the copy's to remove
}

void wait_for_original(const CopyArguments& arguments) {
    UniqueHandle original(reinterpret_cast<HANDLE>(arguments.original_process));
    // The original ends right after starting the copy; should it hang, its files count as
    // in use and are removed at restart.
    if (original) WaitForSingleObject(original.get(), 30000);
}

CopyFolderRemoval::~CopyFolderRemoval() {
    const std::string program = platform::own_module_path();
    const std::string folder = parent_of(program);
    if (name_of(folder).rfind(kCopyFolderPrefix, 0) != 0) return;  // not started by start_copy
    // A running program's file can be renamed, not deleted: moved beside its folder under the
    // folder's random name, it is still deleted as the copy ends, and the folder, now empty,
    // goes at once.
    if (MoveFileExA(program.c_str(), (folder + ".exe").c_str(), 0) &&
        RemoveDirectoryA(folder.c_str()))
        return;
    MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace setup::uninstall
