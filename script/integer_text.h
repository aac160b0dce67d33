#pragma once
// The integer text of the setup script: its integers may be decimal or hexadecimal.
#include <cstdint>
#include <optional>
#include <string_view>

namespace setup {

// The integer that `text` wholly spells, or nullopt when it spells none. Accepted: optional
// leading spaces, an optional "+" or "-", then decimal digits, or hexadecimal digits (either
// case) after "$", "x" or "0x" (prefix letters in either case). Nothing may follow the digits,
// not even blanks.
//
// Decimal must fit int32_t. Hexadecimal digits are a 32-bit pattern read as two's complement,
// so values from 0x80000000 to 0xFFFFFFFF are accepted and come out negative ("$FFFFFFFF" is -1,
// "0x80000000" is INT32_MIN), which lets a script write any 32-bit colour or mask in hex; more
// than 32 significant bits is an overflow. A "-" before a hexadecimal value negates the
// pattern modulo 2^32 ("-$10" is -16, "-$80000000" is INT32_MIN).
std::optional<int32_t> parse_integer_text(std::string_view text);

}  // namespace setup
