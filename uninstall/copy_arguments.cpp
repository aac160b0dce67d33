#include "uninstall/copy_arguments.h"

namespace setup::uninstall {

namespace {

constexpr std::string_view kSwitch = "/kopia";
constexpr std::string_view kSilent = "/S";
constexpr std::string_view kLog = "/LOG=";
constexpr std::string_view kResult = "/WYNIK=";

// A handle's decimal value: digits only, not 0, within a pointer; 0 when it is not one.
std::uintptr_t handle_value(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) return 0;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value > UINTPTR_MAX ? 0 : static_cast<std::uintptr_t>(value);
}

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
    if (arguments.silent) (line += ' ') += kSilent;
    if (!arguments.log.empty()) ((line += " \"") += kLog) += arguments.log + '"';
    if (arguments.result_pipe != 0)
        ((line += ' ') += kResult) += std::to_string(arguments.result_pipe);
    return line;
}

std::optional<CopyArguments> parse_copy_command_line(std::string_view command_line) {
    std::string_view rest = command_line;
    take_word(rest);
    if (take_word(rest) != kSwitch) return std::nullopt;
    CopyArguments arguments;
    arguments.original_process = handle_value(take_word(rest));
    arguments.original_program = std::string(take_word(rest));
    if (arguments.original_process == 0 || arguments.original_program.empty()) return std::nullopt;
    // The optional switches, in the order they are written, each at most once.
    skip_blanks(rest);
    if (rest.starts_with(kSilent) && (rest.size() == kSilent.size() || rest[2] == ' ')) {
        take_word(rest);
        arguments.silent = true;
        skip_blanks(rest);
    }
    if (rest.starts_with("\"") && rest.substr(1).starts_with(kLog)) {
        arguments.log = std::string(take_word(rest).substr(kLog.size()));
        if (arguments.log.empty()) return std::nullopt;
        skip_blanks(rest);
    }
    if (rest.starts_with(kResult)) {
        arguments.result_pipe = handle_value(take_word(rest).substr(kResult.size()));
        if (arguments.result_pipe == 0) return std::nullopt;
        skip_blanks(rest);
    }
    if (!rest.empty()) return std::nullopt;
    return arguments;
}

}  // namespace setup::uninstall
