#include "install/progress_rules.h"

#include <cmath>

namespace setup {

namespace {

std::string without_trailing_blanks(std::string_view s) {
    // The first character stays, even a blank.
    size_t end = s.size();
    while (end > 1 && s[end - 1] == ' ') --end;
    return std::string(s.substr(0, end));
}

}  // namespace

std::string extractor_command_line(std::string_view extractor, std::string_view target,
                                   std::string_view archive) {
    std::string cmd = "\"";
    cmd += extractor;
    cmd += "\" x -o+ -y+ -t\"";
    cmd += target;
    cmd += "\" \"";
    cmd += archive;
    cmd += '"';
    return cmd;
}

std::vector<std::string> LineAssembler::feed(std::string_view chunk) {
    std::vector<std::string> lines;
    for (char c : chunk) {
        if (c == '\r') {
            lines.push_back(std::move(current_));
            current_.clear();
        } else if (c != '\b' && c != '\n') {
            current_ += c;
        }
    }
    return lines;
}

std::optional<std::string> name_of(std::string_view line) {
    if (line.find("Extracting") == std::string_view::npos ||
        line.find("bytes)") != std::string_view::npos)
        return std::nullopt;
    std::string name = line.size() >= 12 ? without_trailing_blanks(line.substr(11, 57)) : "";
    if (name.size() >= 2 && name.back() == ')' && name[name.size() - 2] == '%') {
        // The last "(" from the end back to the second character; the first is not examined.
        for (size_t k = name.size(); k >= 2; --k) {
            if (name[k - 1] == '(') {
                name.resize(k >= 2 ? k - 2 : 0);
                break;
            }
        }
    }
    return name;
}

std::optional<int> total_of(std::string_view line, int current) {
    if (line.find("Total:") == std::string_view::npos) return std::nullopt;
    std::string s = without_trailing_blanks(line);
    std::string digits;
    if (s.size() >= 1 && s.back() == '%') {
        std::string_view three = std::string_view(s).substr(s.size() >= 4 ? s.size() - 4 : 0,
                                                            s.size() >= 4 ? 3 : s.size() - 1);
        for (char c : three)
            if (c != ' ') digits += c;
    }
    // A whole number: an optional sign, then decimal digits.
    size_t first = (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) ? 1 : 0;
    if (digits.size() <= first ||
        digits.find_first_not_of("0123456789", first) != std::string::npos)
        return current;
    int value = std::stoi(digits);
    return value < 0 ? 0 : value > 100 ? 100 : value;
}

std::string PadTwoDigits(int64_t n) {
    std::string text = std::to_string(n);
    return text.size() == 1 ? "0" + text : text;
}

std::string clock_text(int64_t x) {
    return PadTwoDigits((x / 3600) % 60) + ":" + PadTwoDigits((x / 60) % 60) + ":" +
           PadTwoDigits(x % 60);
}

int64_t elapsed_seconds(double start_days, double now_days) {
    return static_cast<int64_t>(std::fabs(now_days - start_days) * 86400.0);
}

TimeTexts time_texts(int64_t elapsed, int position) {
    TimeTexts t;
    t.elapsed = "Czas: " + clock_text(elapsed);
    if (position > 0) {
        // nearbyint rounds halves to even in the default rounding mode.
        const double share = static_cast<double>(position) / 100.0;
        const auto total =
            static_cast<int64_t>(std::nearbyint(static_cast<double>(elapsed) / share));
        t.total = "Razem: " + clock_text(total);
        t.remaining = "Pozostało: " + clock_text(total - elapsed);
    }
    return t;
}

}  // namespace setup
