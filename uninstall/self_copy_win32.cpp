#include "uninstall/self_copy_win32.h"

#include <windows.h>

#include <optional>

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/private_folder.h"
#include "platform/process_start.h"
#include "uninstall/texts.h"

namespace setup::uninstall {

using platform::system_message;
using platform::UniqueHandle;

namespace {

constexpr DWORD kShareForLoader = FILE_SHARE_READ | FILE_SHARE_DELETE;

}  // namespace

UniqueHandle start_copy(const std::string& program, const Record& record, CopyArguments passed) {
    const std::string temp = platform::GetTempDirectory();
    std::optional<platform::PrivateFolder> folder;
    try {
        folder.emplace(platform::PrivateFolder::create(temp, kCopyFolderPrefix));
    } catch (const SystemError& e) {
        // Told in the record's words, as the user's other messages are.
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, temp}) + ": " +
                           e.reason());
    }
    DWORD error = 0;
    // Made new in the private folder, where nobody else can write, then held against writing
    // and moved out beside it under the folder's random name, never over anything there: the
    // system deletes a running program's file only through a handle opened before it ran,
    // and Wine only by the name that handle was opened with, so the copy must run from where
    // it is when marked. The file keeps the folder's access list.
    const std::string made = folder->file("Odinstaluj.exe");
    const std::string copy = folder->path() + ".exe";
    if (!CopyFileA(program.c_str(), made.c_str(), TRUE))
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, folder->path()}) +
                           ": " + system_message(GetLastError()));
    UniqueHandle held(CreateFileA(made.c_str(), GENERIC_READ, kShareForLoader, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!held || !MoveFileExA(made.c_str(), copy.c_str(), 0))
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, temp}) + ": " +
                           system_message(GetLastError()));

    // Delete-on-close with sharing for the loader, none for writers: the file cannot be
    // changed while it waits to be started, and goes when the last handle to it, the one the
    // copy inherits, closes as the copy ends.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle doomed(CreateFileA(copy.c_str(), GENERIC_READ | DELETE, kShareForLoader, &inherit,
                                    OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!doomed) {
        error = GetLastError();
        held.reset();
        DeleteFileA(copy.c_str());
        throw RuntimeError(format_text(text(record, kCannotStart), {copy}) + " " +
                           system_message(error));
    }
    held.reset();
    folder.reset();  // empty now

    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE, TRUE, 0))
        error = GetLastError();
    UniqueHandle own(self);
    passed.original_process = reinterpret_cast<std::uintptr_t>(self);
    passed.original_program = program;
    std::string command = copy_command_line(copy, passed);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!own || !platform::start_process([&] {
            std::string line = command;
            return CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  temp.c_str(), &startup, &started);
        })) {
        if (own) error = GetLastError();
        throw RuntimeError(format_text(text(record, kCannotStart), {copy}) + " " +
                           system_message(error));
    }
    const UniqueHandle thread(started.hThread);
    return UniqueHandle(started.hProcess);
}

void wait_for_original(const CopyArguments& arguments) {
    UniqueHandle original(reinterpret_cast<HANDLE>(arguments.original_process));
    // The original ends right after starting the copy; should it hang, its files count as
    // in use and are removed at restart.
    if (original) WaitForSingleObject(original.get(), 30000);
}

}  // namespace setup::uninstall
