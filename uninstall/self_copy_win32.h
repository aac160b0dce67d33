#pragma once
// A running program cannot delete its own file, so the uninstaller the user starts hands the
// work to a copy of itself in a private folder under the temporary folder and ends.
#include <string>

#include "copy_arguments.h"
#include "record.h"
#include "win_handle.h"

namespace setup::uninstall {

// The private folder's name: this prefix and 16 random hexadecimal digits.
inline constexpr const char* kCopyFolderPrefix = "Odinstaluj-";

// Copies `program` into a new private folder (see platform::PrivateFolder) under the
// temporary folder and starts the copy with the arguments that make it wait for this process
// and then do the work, its current folder the temporary folder (a process's current folder
// cannot be removed). The copy inherits a handle that denies writing the file and deletes it
// when the copy ends; without that handle the copy is not started. Throws RuntimeError with
// the record's texts for a copy that cannot be made or started; nothing is left in the
// temporary folder then.
void start_copy(const std::string& program, const Record& record);

// In the copy: waits until the original has ended (it holds its file and folder open).
void wait_for_original(const CopyArguments& arguments);

// In the copy: at the end of its scope, removes the private folder start_copy made for this
// program (nothing when the program lies elsewhere). The program's file leaves the folder
// and is deleted as the process ends; should the folder not go at once, it goes at the next
// restart.
class CopyFolderRemoval {
  public:
    CopyFolderRemoval() = default;
    CopyFolderRemoval(const CopyFolderRemoval&) = delete;
    CopyFolderRemoval& operator=(const CopyFolderRemoval&) = delete;
    ~CopyFolderRemoval();
};

}  // namespace setup::uninstall
