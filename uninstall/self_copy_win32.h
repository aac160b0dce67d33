#pragma once
// A running program cannot delete its own file, so the uninstaller the user starts hands the
// work to a copy of itself in a private folder under a shared folder and ends.
#include <string>

#include "platform/win_handle.h"
#include "uninstall/copy_arguments.h"
#include "uninstall/record.h"

namespace setup::uninstall {

// The private folder's name, and the copy's without ".exe": this prefix and 16 random
// hexadecimal digits.
inline constexpr const char* kCopyFolderPrefix = "Odinstaluj-";

// Copies `program` into a new private folder (see platform::PrivateFolder) under the shared
// folder platform::private_folder_parent chooses, moves the copy out beside the folder as
// `<folder>.exe` (never over an existing file) while holding it against writing, removes the
// folder, and starts the copy with the arguments that make it wait for this process and then do the
// work, its current folder that shared folder. One handle, which denies writing, renaming and
// deleting the file to everybody else, holds it from before the move until the copy ends (the copy
// inherits it; it deletes the file then), and the copy runs only once it is seen to have
// started from the file held; without that handle the copy is not started. Throws
// RuntimeError with the record's texts for a copy that cannot be made or started; nothing is
// left in the shared folder then. `passed` carries what the copy is told besides (its
// process handle and program are filled in here): the switches, and a result pipe's write
// end, which must be inheritable. Returns the copy's process.
platform::UniqueHandle start_copy(const std::string& program, const Record& record,
                                  CopyArguments passed = {});

// In the copy: waits until the original has ended (it holds its file and folder open).
void wait_for_original(const CopyArguments& arguments);

}  // namespace setup::uninstall
