#pragma once
#include <windows.h>

#include "TForm1.h"
#include "startup_rules.h"

namespace setup {

// The start-up sequence, run while the window is created and before it is shown: writes,
// reads and deletes the setup script, stops the program when the archive is missing,
// discovers the system folders, fills the window and writes the extractor. A runtime error
// ends the sequence where it happens; the error box shows it and the window opens with
// what was set up so far.
void FormCreate(TForm1& form, SystemQueries& system, HMODULE module);

}  // namespace setup
