#pragma once
// The extractor runner's view of Windows: the hidden process and its pipe, the local clock,
// the console code page, the window's messages (through `pump`) and the extractor's file.
#include <functional>
#include <string>

#include "install/extractor_runner.h"
#include "platform/extractor_file.h"

namespace setup::platform {

class WindowsExtractorSystem : public ExtractorSystem {
  public:
    // `extractor` holds the extractor's file until its process has started; start() releases
    // it then, started or not. Both must outlive this object.
    WindowsExtractorSystem(ExtractorFile& extractor, std::function<void()> pump)
        : extractor_(extractor), pump_(std::move(pump)) {}
    Started start(const std::string& command_line) override;
    void oem_to_ansi(char* text) override;
    double now_days() override;
    void pump_messages() override { pump_(); }
    void remove_extractor() override { extractor_.remove(pump_); }

  private:
    ExtractorFile& extractor_;
    std::function<void()> pump_;
};

}  // namespace setup::platform
