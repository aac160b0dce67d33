#include "platform/extractor_system.h"

#include <windows.h>

#include <cstdint>

#include "platform/child_process.h"

namespace setup::platform {

ExtractorSystem::Started WindowsExtractorSystem::start(const std::string& command_line) {
    Started started = start_extractor(command_line, extractor_.path(), extractor_.hold());
    // The running process's image cannot be written any more; the runner removes the file
    // when the process has ended, which the hold would prevent.
    extractor_.release_for_start();
    return started;
}

void WindowsExtractorSystem::oem_to_ansi(char* text) {
    OemToCharA(text, text);
}

double WindowsExtractorSystem::now_days() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME ft;
    SystemTimeToFileTime(&local, &ft);
    const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<double>(ticks) / 864000000000.0;  // 100-ns ticks in a day
}

}  // namespace setup::platform
