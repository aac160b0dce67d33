#include "ui/progress_host_win32.h"

#include <windows.h>

namespace setup {

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
    log_.line("uha: " + line);
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

}  // namespace setup
