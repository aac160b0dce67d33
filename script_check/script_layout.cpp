#include "script_check/script_layout.h"

namespace setup {

namespace {

constexpr std::string_view kBlanks = " \t\r";  // what IniText removes around lines and values

// The part of `text` without blanks around it, with its offset in `text`.
struct Trimmed {
    std::string_view text;
    size_t offset = 0;
};

Trimmed trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {{}, text.size()};
    const size_t last = text.find_last_not_of(kBlanks);
    return {text.substr(first, last - first + 1), first};
}

Trimmed without_enclosing_quotes(Trimmed value) {
    const std::string_view v = value.text;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return {v.substr(1, v.size() - 2), value.offset + 1};
    return value;
}

int column_of(size_t offset) {
    return static_cast<int>(offset) + 1;
}

KeyLine key_line(Trimmed content, size_t equals, int number) {
    const Trimmed name = trim(content.text.substr(0, equals));
    const Trimmed blanks_off = trim(content.text.substr(equals + 1));
    const Trimmed value = without_enclosing_quotes(blanks_off);
    const size_t value_start = content.offset + equals + 1;  // just after the "="
    KeyLine key;
    key.name = name.text;
    key.value = value.text;
    key.line = number;
    key.name_column = column_of(content.offset + name.offset);
    key.value_column =
        column_of(blanks_off.text.empty() ? value_start : value_start + value.offset);
    return key;
}

}  // namespace

std::string ascii_lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

ScriptLayout scan_layout(std::string_view cp1250_text) {
    ScriptLayout layout;
    int number = 0;
    std::string_view rest = cp1250_text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        ++number;

        const Trimmed content = trim(line);
        if (content.text.empty() || content.text.front() == ';') continue;
        const int column = column_of(content.offset);
        if (content.text.front() == '[') {
            const size_t close = content.text.rfind(']');
            if (close == std::string_view::npos) {
                layout.ignored.push_back(
                    {IgnoredLine::Kind::unclosed_section, content.text, number, column});
                continue;
            }
            layout.sections.push_back({content.text.substr(1, close - 1), number, column, {}});
            continue;
        }
        const size_t equals = content.text.find('=');
        if (equals == std::string_view::npos || layout.sections.empty()) {
            layout.ignored.push_back({equals == std::string_view::npos
                                          ? IgnoredLine::Kind::no_equals
                                          : IgnoredLine::Kind::before_section,
                                      content.text, number, column});
            continue;
        }
        layout.sections.back().keys.push_back(key_line(content, equals, number));
    }
    return layout;
}

}  // namespace setup
