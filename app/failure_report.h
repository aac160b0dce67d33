#pragma once
// How the installer reports what ended its run: in the standard error box (or a box with
// `caption`), or, for an installation without questions, only in its log; the exit code is
// kept in the state either way.
#include <string>

#include "install/installation_state.h"

namespace setup {

void report_failure(InstallationState& state, ExitCode code, const std::string& message,
                    const char* caption = nullptr);

}  // namespace setup
