#include "mksetup/progress_view.h"

#include <algorithm>
#include <cmath>

namespace mksetup {

namespace {

constexpr int kBarWidth = 24;
constexpr auto kRedraw = std::chrono::milliseconds(100);

const char* stage_name(uha::PackProgress::Stage s) {
    return s == uha::PackProgress::Stage::planning ? "planning" : "packing ";
}

int percent(const uha::PackProgress& p) {
    return p.total ? static_cast<int>(p.done * 100 / p.total) : 100;
}

std::string clock_text(double seconds) {
    const long s = std::lround(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

ProgressView::ProgressView(std::FILE* out, bool terminal, bool quiet)
    : out_(out), terminal_(terminal), quiet_(quiet) {}

std::string ProgressView::terminal_line(const uha::PackProgress& p, double seconds) {
    const int pc = percent(p);
    std::string bar(kBarWidth, '.');
    std::fill_n(bar.begin(), pc * kBarWidth / 100, '#');
    char text[128];
    std::snprintf(text, sizeof text, "%s [%s] %3d%%", stage_name(p.stage), bar.c_str(), pc);
    std::string line = text;
    if (seconds > 0.5 && p.done > 0) {
        const double rate = static_cast<double>(p.done) / seconds;
        std::snprintf(text, sizeof text, "  %.1f MB/s  %s left", rate / 1e6,
                      clock_text(static_cast<double>(p.total - p.done) / rate).c_str());
        line += text;
    }
    return line;
}

void ProgressView::update(const uha::PackProgress& p) {
    if (quiet_) return;
    const Clock::time_point now = Clock::now();
    if (!started_ || p.stage != stage_) {
        if (line_open_) std::fputc('\n', out_);
        line_open_ = false;
        started_ = true;
        stage_ = p.stage;
        stage_start_ = now;
        last_draw_ = Clock::time_point{};
        last_tenth_ = -1;
    }
    const bool done = p.done >= p.total;
    if (terminal_) {
        if (!done && now - last_draw_ < kRedraw) return;
        last_draw_ = now;
        const double seconds = std::chrono::duration<double>(now - stage_start_).count();
        std::fprintf(out_, "\r%-72s", terminal_line(p, seconds).c_str());
        line_open_ = true;
    } else {
        const int tenth = percent(p) / 10;
        if (tenth == last_tenth_) return;
        last_tenth_ = tenth;
        std::fprintf(out_, "%s %3d%%\n", stage_name(p.stage), tenth * 10);
    }
    std::fflush(out_);
}

void ProgressView::finish() {
    if (line_open_) std::fputc('\n', out_);
    line_open_ = false;
    std::fflush(out_);
}

}  // namespace mksetup
