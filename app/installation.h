#pragma once
#include "platform/win_handle.h"
#include "ui/TForm1_win32.h"

namespace setup {

// The installation, run when the summary is confirmed: the archive is checked against the
// digest `module` carries (when it carries one), unpacked into the target folder with the
// extractor, and the shortcuts, registry values, uninstaller and programs of the script follow.
// It reads `state` (the start-up's findings and the wizard's choices) and sets its cancel
// request. `extractor` holds the extractor's file as the start-up wrote it; it is released once the
// extractor's process has started (or will not start), so that the file can then be deleted.
void RunInstallation(TForm1& form, HMODULE module, InstallationState& state,
                     platform::UniqueHandle& extractor);

}  // namespace setup
