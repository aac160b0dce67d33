#include "installation.h"

#include "extractor_runner.h"
#include "globals.h"
#include "progress_host.h"
#include "progress_rules.h"

namespace setup {

void RunInstallation(TForm1& form) {
    ProgressHost host(form);
    RunExtractor(extractor_command_line(ExtractorPath, form.text("Edit1"), Product.ArchivePath),
                 host);
    if (CancelRequested) return;  // the runner has asked the window to close
}

}  // namespace setup
