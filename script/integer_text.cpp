#include "script/integer_text.h"

namespace setup {

namespace {

std::optional<int32_t> parse_decimal(std::string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

std::optional<int32_t> parse_hexadecimal(std::string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > UINT32_MAX) return std::nullopt;
    }
    uint32_t pattern = static_cast<uint32_t>(value);
    if (negative) pattern = 0u - pattern;
    return static_cast<int32_t>(pattern);  // two's complement, as C++20 defines the conversion
}

// The digits after a hexadecimal prefix, or nullopt when `text` has no such prefix.
std::optional<std::string_view> after_hex_prefix(std::string_view text) {
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        return text.substr(1);
    }
    if (text.starts_with("0x") || text.starts_with("0X")) return text.substr(2);
    return std::nullopt;
}

}  // namespace

std::optional<int32_t> parse_integer_text(std::string_view text) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    bool negative = false;
    if (text.starts_with('+') || text.starts_with('-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (auto hex_digits = after_hex_prefix(text)) return parse_hexadecimal(*hex_digits, negative);
    return parse_decimal(text, negative);
}

}  // namespace setup
