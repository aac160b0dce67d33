#include "app/failure_report.h"

#include "platform/error_box.h"

namespace setup {

void report_failure(InstallationState& state, ExitCode code, const std::string& message,
                    const char* caption) {
    state.Result = code;
    state.Log.line("błąd: " + message);
    if (state.Silent) return;
    if (caption) {
        platform::show_error_message(message, caption);
    } else {
        platform::show_error_box(message);
    }
}

}  // namespace setup
