#pragma once
// Shows packing's progress on standard error: on a terminal one line redrawn in place, a bar
// with the percentage, the speed and the time left; elsewhere (a log, a pipe) a plain line at
// every tenth of the work.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "uha/src/pack.h"

namespace mksetup {

class ProgressView {
  public:
    ProgressView(std::FILE* out, bool terminal, bool quiet);
    // Called under packing's own lock, so never from two threads at once.
    void update(const uha::PackProgress& p);
    // Ends the redrawn line, if one is showing.
    void finish();

    // The line a terminal shows, e.g. "packing  [#######.....]  58%  12.4 MB/s  0:07 left".
    static std::string terminal_line(const uha::PackProgress& p, double seconds);

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool terminal_, quiet_;
    Clock::time_point stage_start_, last_draw_;
    uha::PackProgress::Stage stage_ = uha::PackProgress::Stage::planning;
    bool started_ = false, line_open_ = false;
    int last_tenth_ = -1;
};

}  // namespace mksetup
