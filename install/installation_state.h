#pragma once
// One installation's state, passed explicitly: what the start-up found (the setup script's
// settings and plan, the system's folders), what the user chose in the wizard (the target
// folder and the group), and the user's request to stop. The start-up
// fills the first part, the wizard writes its choices when the installation starts, and the
// run reads them; the window and the extractor runner set and read the cancel request.
#include <string>

#include "common/command_line.h"
#include "common/installation_log.h"
#include "install/cancel_token.h"
#include "script/setup_script.h"

namespace setup {

struct InstallationState {
    std::string ProgramFilesDir;
    std::string ProgramsFolder;
    std::string DesktopFolder;
    ProductSettings Product;  // ArchivePath among them
    InstallPlan Plan;

    // The wizard's choices, taken from its inputs when the summary is confirmed.
    std::string TargetFolder;
    std::string GroupName;

    CancelToken Cancel;

    // Started with /S: no window and no message box; what went wrong goes to the log and the
    // exit code. The script's programs are started only with /RUN then.
    bool Silent = false;
    bool RunPrograms = true;
    bool Force = false;  // /FORCE: also over a newer installed version
    InstallationLog Log;
    ExitCode Result = ExitCode::done;
};

}  // namespace setup
