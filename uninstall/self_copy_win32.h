#pragma once
// A running program cannot delete its own file, so the uninstaller the user starts hands the
// work to a copy of itself in the temporary folder and ends.
#include <string>

#include "copy_arguments.h"
#include "record.h"
#include "win_handle.h"

namespace setup::uninstall {

// Copies `program` to the temporary folder and starts the copy with the arguments that make
// it wait for this process and then do the work, its current folder the temporary folder (a
// process's current folder cannot be removed). The copy inherits a handle that deletes its
// file when the copy ends. Throws RuntimeError with the record's texts for a copy that cannot
// be made or started; nothing is left in the temporary folder then.
void start_copy(const std::string& program, const Record& record);

// In the copy: waits until the original has ended (it holds its file and folder open).
void wait_for_original(const CopyArguments& arguments);

}  // namespace setup::uninstall
