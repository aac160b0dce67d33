#include "uninstall/self_copy_win32.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/private_folder.h"
#include "platform/private_parent.h"
#include "platform/process_start.h"
#include "uninstall/texts.h"

namespace setup::uninstall {

using platform::system_message;
using platform::UniqueHandle;

namespace {

// Moves the file `held` is open on to `to` (never over anything there) through that handle,
// which needs DELETE access; false when this system lacks the call (before Vista) or the move
// fails, GetLastError() telling why.
bool move_held(HANDLE held, const std::string& to) {
    const int length = MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, nullptr, 0);
    if (length <= 1) return false;
    const size_t name_bytes = static_cast<size_t>(length - 1) * sizeof(WCHAR);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name_bytes);
    MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, info->FileName, length);
    return platform::set_file_information(held, FileRenameInfo, info,
                                          static_cast<DWORD>(buffer.size()));
}

}  // namespace

UniqueHandle start_copy(const std::string& program, const Record& record, CopyArguments passed) {
    // Told in the record's words, as the user's other messages are.
    const auto cannot_copy = [&](const std::string& to, const std::string& reason) {
        return RuntimeError(format_text(text(record, kCannotCopy), {program, to}) + ": " + reason);
    };
    std::string parent;
    try {
        parent = platform::private_folder_parent().path;
    } catch (const platform::SharedFolderError& e) {
        throw cannot_copy(e.folder(), e.reason());
    }
    std::optional<platform::PrivateFolder> folder;
    try {
        folder.emplace(platform::PrivateFolder::create(parent, kCopyFolderPrefix));
    } catch (const SystemError& e) {
        throw cannot_copy(parent, e.reason());
    }
    auto cannot_start = [&](const std::string& file, DWORD error) {
        return RuntimeError(format_text(text(record, kCannotStart), {file}) + " " +
                            system_message(error));
    };
    // Made new in the private folder, where nobody else can write, then held by one handle
    // from before it leaves the folder until the copy has ended: the handle shares reading
    // only, so nobody can write, rename or delete the file (should the shared folder let
    // others rename its entries, as a system without access lists does), and the copy
    // inherits it,
    // so that the file goes when the copy ends. The system deletes a running program's file
    // only through a handle opened before it ran. The file is moved out beside the folder
    // under the folder's random name, never over anything there, through that same handle;
    // it keeps the folder's access list.
    const std::string made = folder->file("Odinstaluj.exe");
    std::string copy = folder->path() + ".exe";
    if (!CopyFileA(program.c_str(), made.c_str(), TRUE))
        throw RuntimeError(format_text(text(record, kCannotCopy), {program, folder->path()}) +
                           ": " + system_message(GetLastError()));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle held(CreateFileA(made.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, &inherit,
                                  OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!held) {
        const DWORD error = GetLastError();
        DeleteFileA(made.c_str());
        throw cannot_start(made, error);
    }
    if (move_held(held.get(), copy)) {
        folder.reset();  // empty now
    } else if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        copy = made;        // a system without the call: run from the folder,
        folder->release();  // which stays behind, empty, once the copy has gone
    } else {
        throw cannot_start(copy, GetLastError());
    }

    HANDLE self = nullptr;
    DWORD error = 0;
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
            return CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, TRUE,
                                  CREATE_SUSPENDED, nullptr, parent.c_str(), &startup, &started);
        })) {
        if (own) error = GetLastError();
        throw cannot_start(copy, error);
    }
    const UniqueHandle thread(started.hThread);
    UniqueHandle process(started.hProcess);
    // Started by its name: the program must be the file held, not one put under a folder of
    // that name in the meantime.
    if (!platform::names_held_file(copy, held.get())) {
        TerminateProcess(process.get(), 1);
        throw cannot_start(copy, ERROR_FILE_INVALID);
    }
    ResumeThread(thread.get());
    return process;
}

void wait_for_original(const CopyArguments& arguments) {
    UniqueHandle original(reinterpret_cast<HANDLE>(arguments.original_process));
    // The original ends right after starting the copy; should it hang, its files count as
    // in use and are removed at restart.
    if (original) WaitForSingleObject(original.get(), 30000);
}

}  // namespace setup::uninstall
