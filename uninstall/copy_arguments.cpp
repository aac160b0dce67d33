#include "copy_arguments.h"

namespace setup::uninstall {

namespace {

constexpr std::string_view kSwitch = "/kopia";

void skip_blanks(std::string_view& s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
}

// The next word, or the text between double quotes (a path cannot hold one).
std::string_view take_word(std::string_view& s) {
    skip_blanks(s);
    std::string_view word;
    if (!s.empty() && s.front() == '"') {
        const size_t close = s.find('"', 1);
        if (close == std::string_view::npos) {
            word = s.substr(1);
            s = {};
            return word;
        }
        word = s.substr(1, close - 1);
        s.remove_prefix(close + 1);
        return word;
    }
    size_t end = 0;
    while (end < s.size() && s[end] != ' ' && s[end] != '\t') ++end;
    word = s.substr(0, end);
    s.remove_prefix(end);
    return word;
}

}  // namespace

std::string copy_command_line(const std::string& copy, const CopyArguments& arguments) {
    std::string line = "\"" + copy + "\" ";
    line += kSwitch;
    line += ' ';
    line += std::to_string(arguments.original_process);
    line += " \"";
    line += arguments.original_program;
    line += '"';
    return line;
}

std::optional<CopyArguments> parse_copy_command_line(std::string_view command_line) {
    std::string_view rest = command_line;
    take_word(rest);
    if (take_word(rest) != kSwitch) return std::nullopt;
    const std::string_view handle = take_word(rest);
    if (handle.empty() || handle.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : handle) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > UINTPTR_MAX) return std::nullopt;
    CopyArguments arguments;
    arguments.original_process = static_cast<std::uintptr_t>(value);
    arguments.original_program = std::string(take_word(rest));
    skip_blanks(rest);
    if (arguments.original_program.empty() || !rest.empty()) return std::nullopt;
    return arguments;
}

}  // namespace setup::uninstall
