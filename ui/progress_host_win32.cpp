#include "ui/progress_host_win32.h"

#include <windows.h>

#include "platform/child_process.h"

namespace setup {

std::unique_ptr<ExtractorProcess> ProgressHost::start(const std::string& command_line,
                                                      Start& result) {
    std::unique_ptr<ExtractorProcess> process = platform::start_extractor(command_line, result);
    // The running process's image cannot be written any more; the runner deletes the file
    // when the process has ended, which the hold would prevent.
    extractor_.release_for_start();
    return process;
}

void ProgressHost::oem_to_ansi(char* text) {
    OemToCharA(text, text);
}

double ProgressHost::now_days() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME ft;
    SystemTimeToFileTime(&local, &ft);
    const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<double>(ticks) / 864000000000.0;  // 100-ns ticks in a day
}

bool& ProgressHost::cancel_requested() {
    return installation_.CancelRequested;
}

void ProgressHost::set_label(const char* name, const std::string& text) {
    std::string& shown = labels_[name];
    if (shown == text && !shown.empty()) return;
    shown = text;
    form_.set_text(name, text);
}

void ProgressHost::set_position(int position) {
    // The bar's range is 0..100, so what it holds is what was set.
    if (position == position_) return;
    position_ = position;
    form_.set_progress(position);
}

void ProgressHost::started(const TimeTexts& zero) {
    times(zero);
    set_position(0);
}

void ProgressHost::file_started(const std::string& name) {
    set_label("Label1", "Instaluję: " + name);
}

void ProgressHost::total_moved(int percent) {
    set_position(percent);
    set_label("Label25", std::to_string(percent) + "%");
}

void ProgressHost::times(const TimeTexts& times) {
    set_label("Label22", times.elapsed);
    if (times.total) set_label("Label23", *times.total);
    if (times.remaining) set_label("Label24", *times.remaining);
}

void ProgressHost::output_line(const std::string& line) {
    installation_.Log.line("uha: " + line);
    if (!pending_.empty()) pending_ += "\r\n";
    pending_ += line;
    if (GetTickCount() - last_flush_ >= 250) flush_memo();
}

void ProgressHost::flush_memo() {
    last_flush_ = GetTickCount();
    if (pending_.empty()) return;
    form_.append_memo(pending_);
    pending_.clear();
}

void ProgressHost::delete_extractor() {
    extractor_.remove([this] { pump_messages(); });
}

}  // namespace setup
