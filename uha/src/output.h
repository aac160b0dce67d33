#pragma once
// The archiver's output lines. The installer reads them from a pipe: a file line is
// "Extracting " + name (the name starts at the 12th character), a progress line contains
// "Total:" and ends with the overall percentage right-aligned in three characters and "%".
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace uha {

// Receives finished lines (UTF-8, without line end).
class LineSink {
  public:
    virtual ~LineSink() = default;
    virtual void line(const std::string& text) = 0;
};

// The console: each line converted to the console's code page (OEM on Windows), ended with
// CR LF and written at once; on Windows, lines for a pipe go in small batches, none held
// longer than 50 ms while lines follow, all written when the program ends.
LineSink& console();
// Sets the process up for unattended console use (binary output, no error dialogs).
void prepare_console();

// The program's arguments after its name. On Windows they are split from the raw command line
// by split_command_line (cli.h), not by the C runtime, whose rule would take the backslash of a
// quoted folder's end for an escaped quote.
std::vector<std::string> program_arguments(int argc, char** argv);

std::string total_line(int percent);
int percent_of(uint64_t done, uint64_t total);

// Thread-safe progress of an extraction or test over `total` bytes in `files` files.
class Progress {
  public:
    Progress(LineSink& sink, std::string verb, uint64_t total_bytes, uint64_t total_files);
    void file_started(const std::string& name);
    // Called as data is written; prints a progress line when the last one is 250 ms old.
    void add_bytes(uint64_t n);
    // Prints a progress line when the percentage has changed since the last one.
    void file_done();
    void note(const std::string& text);

  private:
    void total_locked();
    int percent_locked() const;

    LineSink& sink_;
    std::string verb_;
    uint64_t total_bytes_, total_files_;
    uint64_t done_bytes_ = 0, done_files_ = 0;
    std::chrono::steady_clock::time_point last_total_;
    int last_percent_ = -1;
    std::mutex mutex_;
};

}  // namespace uha
