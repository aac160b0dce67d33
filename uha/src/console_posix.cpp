#include <cstdio>

#include "uha/src/output.h"

namespace uha {

namespace {
class PosixConsole : public LineSink {
  public:
    void line(const std::string& text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputs("\r\n", stdout);
        std::fflush(stdout);
    }
};
}  // namespace

void prepare_console() {}

std::vector<std::string> program_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

LineSink& console() {
    static PosixConsole instance;
    return instance;
}

}  // namespace uha
