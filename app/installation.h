#pragma once
#include "install/installation_state.h"
#include "platform/extractor_file.h"
#include "ui/TForm1_win32.h"

namespace setup {

// The installation, run when the summary is confirmed: the archive is checked against the
// digest `module` carries (when it carries one), unpacked into the target folder with the
// extractor, and the shortcuts, registry values, uninstaller and programs of the script follow.
// It reads `state` (the start-up's findings and the wizard's choices) and sets its cancel
// request. `extractor` is the extractor's file as the start-up wrote it; the run releases it
// when its process starts and removes it once the extraction has ended or will not happen.
void RunInstallation(TForm1& form, HMODULE module, InstallationState& state,
                     platform::ExtractorFile& extractor);

}  // namespace setup
