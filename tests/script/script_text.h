#pragma once
// Setup scripts for the tests, written as the stored script is: CP1250 bytes, CR LF line ends.
// "|" separates the lines, so that a whole script fits on one source line.
#include <string>
#include <string_view>

inline std::string script_text(std::string_view lines) {
    std::string text;
    for (char c : lines) text += c == '|' ? std::string("\r\n") : std::string(1, c);
    return text + "\r\n";
}
