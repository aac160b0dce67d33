#include "install/launch_rules.h"

namespace setup {
namespace {

// A dot in the last part of the path.
bool has_extension(std::string_view path) {
    const size_t dot = path.find_last_of('.');
    const size_t separator = path.find_last_of("\\/");
    return dot != std::string_view::npos &&
           (separator == std::string_view::npos || dot > separator);
}

std::string quoted(std::string_view target, std::string_view program, std::string_view rest) {
    std::string line = "\"";
    line += target;
    line += '\\';
    line += program;
    line += '"';
    line += rest;
    return line;
}

}  // namespace

std::string launch_command_line(std::string_view target, std::string_view entry,
                                const std::function<bool(const std::string&)>& file_exists) {
    if (entry.starts_with('"')) {
        const size_t close = entry.find('"', 1);
        if (close != std::string_view::npos)
            return quoted(target, entry.substr(1, close - 1), entry.substr(close + 1));
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t first_word_end = std::string_view::npos;
    // Each candidate ends at the first blank of a run of blanks, or at the end of the entry.
    for (size_t i = 1; i <= entry.size(); ++i) {
        if ((i < entry.size() && !blank(entry[i])) || blank(entry[i - 1])) continue;
        const std::string_view program = entry.substr(0, i);
        if (first_word_end == std::string_view::npos) first_word_end = i;
        std::string candidate(target);
        candidate += '\\';
        candidate += program;
        if (!has_extension(program)) candidate += ".exe";
        if (file_exists(candidate)) return quoted(target, program, entry.substr(i));
    }
    if (first_word_end == std::string_view::npos) return quoted(target, entry, "");
    return quoted(target, entry.substr(0, first_word_end), entry.substr(first_word_end));
}

std::optional<ShellStart> shell_start_of(std::string_view command_line) {
    if (!command_line.starts_with('"')) return std::nullopt;
    const size_t close = command_line.find('"', 1);
    if (close == std::string_view::npos || close == 1) return std::nullopt;
    ShellStart start{std::string(command_line.substr(1, close - 1)), ""};
    if (!has_extension(start.file)) start.file += ".exe";
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    std::string extension = start.file.substr(start.file.find_last_of('.'));
    for (char& c : extension) c = lower(c);
    if (extension != ".exe" && extension != ".com") return std::nullopt;
    std::string_view rest = command_line.substr(close + 1);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    start.parameters = rest;
    return start;
}

LaunchReport launch_by_route(bool elevated, const LaunchWay& through_shell,
                             const LaunchWay& directly) {
    if (!elevated) {
        if (auto failure = directly()) return {LaunchRoute::failed, *failure};
        return {LaunchRoute::as_user, "instalator działa bez podniesionych uprawnień"};
    }
    const std::optional<std::string> shell_failure = through_shell();
    if (!shell_failure) return {LaunchRoute::as_user, "przez powłokę pulpitu"};
    if (auto failure = directly()) return {LaunchRoute::failed, *shell_failure + "; " + *failure};
    return {LaunchRoute::elevated_fallback, *shell_failure};
}

}  // namespace setup
