#pragma once
// The extraction's progress events on the wizard's progress page, and its output in the log.
#include <map>
#include <string>

#include "common/installation_log.h"
#include "install/extractor_runner.h"
#include "ui/TForm1_win32.h"

namespace setup {

class ProgressHost : public ExtractionProgress {
  public:
    // Both must outlive the host.
    ProgressHost(TForm1& form, InstallationLog& log) : form_(form), log_(log) {}
    ~ProgressHost() override { flush_memo(); }
    ProgressHost(const ProgressHost&) = delete;
    ProgressHost& operator=(const ProgressHost&) = delete;
    void started(const TimeTexts& zero) override;
    void file_started(const std::string& name) override;
    void total_moved(int percent) override;
    void times(const TimeTexts& times) override;
    void output_line(const std::string& line) override;
    void ended() override { flush_memo(); }

  private:
    void flush_memo();
    // The page's controls: labels Label1 (the file), Label22..24 (the times), Label25 (the
    // percentage), the bar ProgressBar1 and the memo Memo1.
    void set_label(const char* name, const std::string& text);
    void set_position(int position);

    TForm1& form_;
    InstallationLog& log_;
    // Window texts cost a trip to the window system each: a label is written only when its
    // text changes, and the memo (on a page hidden meanwhile) takes its lines in batches.
    std::map<std::string, std::string> labels_;
    std::string pending_;
    int position_ = -1;
    unsigned long last_flush_ = 0;
};

}  // namespace setup
