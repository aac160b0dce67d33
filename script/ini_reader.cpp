#include "script/ini_reader.h"

namespace setup {

namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string ascii_lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string_view without_enclosing_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniText::IniText(std::string text) {
    Keys* current = nullptr;  // null before the first section and under a repeated one
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);

        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.rfind(']');
            if (close == std::string_view::npos) continue;
            auto [section, first_of_its_name] =
                sections_.try_emplace(ascii_lower(line.substr(1, close - 1)));
            current = first_of_its_name ? &section->second : nullptr;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || current == nullptr) continue;
        const std::string_view value = without_enclosing_quotes(trim(line.substr(equals + 1)));
        current->try_emplace(ascii_lower(trim(line.substr(0, equals))),
                             value.substr(0, kMaxIniValueLength));
    }
}

std::string IniText::read(std::string_view section, std::string_view key,
                          std::string_view default_value) const {
    const auto keys = sections_.find(ascii_lower(section));
    if (keys == sections_.end()) return std::string(default_value);
    const auto value = keys->second.find(ascii_lower(key));
    if (value == keys->second.end()) return std::string(default_value);
    return value->second;
}

}  // namespace setup
