#pragma once
// The installation's log: plain text in the ANSI code page, one line per step, each starting
// with the local time. A line is handed to the writer as soon as it is made, so a crash leaves
// every line before it. A log made without a writer takes lines and writes nothing.
#include <functional>
#include <string>
#include <string_view>

namespace setup {

class InstallationLog {
  public:
    // Writes the bytes at the end of the log; throws on failure.
    using Write = std::function<void(std::string_view bytes)>;
    // The local time as "YYYY-MM-DD hh:mm:ss".
    using Clock = std::function<std::string()>;

    InstallationLog() = default;
    InstallationLog(Write write, Clock clock)
        : write_(std::move(write)), clock_(std::move(clock)) {}

    bool enabled() const { return static_cast<bool>(write_); }
    // "<time> <text>" and CR LF; line ends inside `text` become blanks, so each step stays
    // one line. A write that fails ends the log (the installation goes on without it); never
    // throws.
    void line(std::string_view text);

  private:
    Write write_;
    Clock clock_;
};

}  // namespace setup
