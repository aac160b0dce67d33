#pragma once
// The extractor runner's view of the installer: the wizard's progress page, the window's
// message queue, the clock and the extractor's process and file.
#include <map>
#include <string>

#include "install/extractor_runner.h"
#include "platform/extractor_file.h"
#include "ui/TForm1_win32.h"

namespace setup {

class ProgressHost : public ExtractorHost {
  public:
    // `extractor` holds the extractor's file until its process has started; start() releases
    // it then, started or not.
    ProgressHost(TForm1& form, InstallationState& installation, platform::ExtractorFile& extractor)
        : form_(form), installation_(installation), extractor_(extractor) {}
    ~ProgressHost() override { flush_memo(); }
    ProgressHost(const ProgressHost&) = delete;
    ProgressHost& operator=(const ProgressHost&) = delete;
    std::unique_ptr<ExtractorProcess> start(const std::string& command_line,
                                            Start& result) override;
    void oem_to_ansi(char* text) override;
    double now_days() override;
    void pump_messages() override { form_.pump_messages(); }
    bool& cancel_requested() override;
    void started(const TimeTexts& zero) override;
    void file_started(const std::string& name) override;
    void total_moved(int percent) override;
    void times(const TimeTexts& times) override;
    void output_line(const std::string& line) override;
    void ended() override { flush_memo(); }
    void delete_extractor() override;
    void close_window() override { form_.request_close(); }

  private:
    void flush_memo();
    // The page's controls: labels Label1 (the file), Label22..24 (the times), Label25 (the
    // percentage), the bar ProgressBar1 and the memo Memo1.
    void set_label(const char* name, const std::string& text);
    void set_position(int position);

    TForm1& form_;
    InstallationState& installation_;
    platform::ExtractorFile& extractor_;
    // Window texts cost a trip to the window system each: a label is written only when its
    // text changes, and the memo (on a page hidden meanwhile) takes its lines in batches.
    std::map<std::string, std::string> labels_;
    std::string pending_;
    int position_ = -1;
    unsigned long last_flush_ = 0;
};

}  // namespace setup
