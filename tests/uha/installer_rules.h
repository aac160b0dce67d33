#pragma once
// How the installer reads the archiver's lines: the file name from a name line's 12th
// character on (57 characters at most), the percentage from the three characters before a
// total line's final "%". The tests hold the archiver's output to these rules.
#include <optional>
#include <string>

inline std::string installer_name(const std::string& line) {
    if (line.find("Extracting") == std::string::npos || line.size() < 12) return "";
    std::string name = line.substr(11, 57);
    while (name.size() > 1 && name.back() == ' ') name.pop_back();
    return name;
}

inline std::optional<int> installer_percent(const std::string& line) {
    if (line.find("Total:") == std::string::npos) return std::nullopt;
    std::string s = line;
    while (s.size() > 1 && s.back() == ' ') s.pop_back();
    if (s.size() < 4 || s.back() != '%') return std::nullopt;
    std::string digits;
    for (char c : s.substr(s.size() - 4, 3))
        if (c != ' ') digits += c;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(digits);
}
