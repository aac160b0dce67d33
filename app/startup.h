#pragma once
#include <windows.h>

#include <optional>

#include "install/installation_state.h"
#include "install/startup_rules.h"
#include "platform/extractor_file.h"
#include "platform/private_folder.h"
#include "ui/TForm1_win32.h"

namespace setup {

// What the start-up leaves for the rest of the run: the private folder under the shared
// folder platform::private_folder_parent chooses, and the extractor's file in it, held (no
// writing, no deleting) until its process has started. The extractor is declared last so that
// its owner removes it before the folder is removed.
struct InstallerFiles {
    std::optional<platform::PrivateFolder> folder;
    platform::ExtractorFile extractor;
};

enum class Startup {
    ready,    // the window may be shown
    stopped,  // the archive is missing: its box was shown, the program ends
    failed,   // the standard error box was shown, the program ends
};

// The start-up sequence, run while the window is created and before it is shown: makes the
// private folder, writes, reads and deletes the setup script there, stops the program when
// the archive is missing, discovers the system folders, fills the window and writes the
// extractor into the private folder; what it finds goes into `state`. Any error ends the sequence
// and the program: a wizard without its extractor or its script could only fail later, or run
// something else.
Startup FormCreate(TForm1& form, SystemQueries& system, HMODULE module, InstallerFiles& files,
                   InstallationState& state);

}  // namespace setup
