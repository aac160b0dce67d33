#pragma once
#include "TForm1.h"

namespace setup {

// The installation, run when the summary is confirmed: the archive is checked against the
// digest `module` carries (when it carries one), unpacked into the target folder with the
// extractor, and the shortcuts, registry values, uninstaller and programs of the script follow.
void RunInstallation(TForm1& form, HMODULE module);

}  // namespace setup
