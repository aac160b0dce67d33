#pragma once
#include "TForm1.h"

namespace setup {

// The installation, run when the summary is confirmed. It unpacks the archive into the
// target folder with the extractor; the steps after the unpacking are not part of it yet.
void RunInstallation(TForm1& form);

}  // namespace setup
