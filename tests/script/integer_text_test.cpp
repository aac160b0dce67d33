#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "script/integer_text.h"

// Hexadecimal is a 32-bit pattern: past INT32_MAX it wraps to negative numbers.
TEST(IntegerText, DecimalAndHexadecimalWithEveryPrefix) {
    // clang-format off
    const std::pair<const char*, int32_t> cases[] = {
        {"0", 0}, {"007", 7}, {"  -12", -12}, {"+5", 5}, {"-0", 0},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$ff", 255}, {"$FF", 255}, {"x1A", 26}, {"X1a", 26}, {"0x2", 2}, {"0XfF", 255},
        {"-$10", -16}, {"+0x10", 16}, {"0x000000000ff", 255}, {"$7FFFFFFF", INT32_MAX},
        {"0x80000000", INT32_MIN}, {"$FFFFFFFF", -1}, {"-$FFFFFFFF", 1},
        {"-0x80000000", INT32_MIN}};
    // clang-format on
    for (auto [text, value] : cases) EXPECT_EQ(setup::parse_integer_text(text), value) << text;
}

TEST(IntegerText, AnythingButOneWholeNumberIsNone) {
    const char* const cases[] = {
        "",     " ",   "-",          "+",           "$",          "x",
        "0x",   "-$",  "12 ",        "1a",          "0x1g",       "$-5",
        "- 5",  "+-5", "yes",        "1.5",         "1e3",        "\t5",
        "0xx1", "$$1", "2147483648", "-2147483649", "$100000000", "99999999999999999999"};
    for (const char* text : cases) {
        EXPECT_EQ(setup::parse_integer_text(text), std::nullopt) << '"' << text << '"';
    }
}
