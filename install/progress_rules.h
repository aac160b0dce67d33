#pragma once
// How the extractor's console output becomes the progress page: lines, the current file's
// name, the overall percentage and the three times.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// "{extractor}" x -o+ -y+ -t"{target}" "{archive}": the three values as they stand.
std::string extractor_command_line(std::string_view extractor, std::string_view target,
                                   std::string_view archive);

// Turns chunks of output into lines: a carriage return completes a line, backspace and line
// feed are dropped, a line may span chunks.
class LineAssembler {
  public:
    // `chunk` is the text of one read, up to its first zero byte.
    std::vector<std::string> feed(std::string_view chunk);

  private:
    std::string current_;
};

// The name a line announces ("Extracting " and the name from the 12th character, 57 at
// most, trailing blanks and a " (NN%)" dropped), or nothing when the line names no file.
std::optional<std::string> name_of(std::string_view line);

// The bar's new position for a line that contains "Total:" (the three characters before a
// final "%", blanks removed, clamped to 0..100), or nothing for another line. A total line
// whose percentage is no whole number leaves the bar at `current`.
std::optional<int> total_of(std::string_view line, int current);

// "7" -> "07"; longer texts ("12", "-5") stay.
std::string PadTwoDigits(int64_t n);
// hh:mm:ss with hours taken modulo 60.
std::string clock_text(int64_t seconds);

// Whole seconds between two date-times counted in days (as the local clock gives them).
int64_t elapsed_seconds(double start_days, double now_days);

struct TimeTexts {
    std::string elapsed;                   // "Czas: hh:mm:ss"
    std::optional<std::string> total;      // "Razem: ...", when the position is above 0
    std::optional<std::string> remaining;  // "Pozostało: ..."
};
// The estimates: T = E / (P / 100), rounded to the nearest second with halves to even.
TimeTexts time_texts(int64_t elapsed, int position);

}  // namespace setup
