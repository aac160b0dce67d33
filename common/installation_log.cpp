#include "common/installation_log.h"

namespace setup {

void InstallationLog::line(std::string_view text) {
    if (!write_) return;
    std::string out = clock_ ? clock_() : std::string();
    out += ' ';
    for (const char c : text) out += (c == '\r' || c == '\n') ? ' ' : c;
    out += "\r\n";
    try {
        write_(out);
    } catch (...) {
        write_ = nullptr;
    }
}

}  // namespace setup
