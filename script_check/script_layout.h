#pragma once
// Where each section and key of a setup script stands, and the lines that the private-profile
// reader passes over without a word. It splits lines exactly as IniText does (ini_reader.h):
// the same blanks, comments, "[" lines and quotes, so that every key found here is the one
// IniText reads and every value the text IniText returns for it, before the cut to
// kMaxIniValueLength.
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// Lines are numbered from 1; columns are 1-based byte positions in the line, which in CP1250
// text are character positions. Texts are views into the scanned text.
struct KeyLine {
    std::string_view name;   // blanks around it removed
    std::string_view value;  // blanks around it and one pair of enclosing quotes removed; not cut
    int line = 0;
    int name_column = 0;
    int value_column = 0;  // of the value's first character; where it would be when empty
};

struct SectionBlock {
    std::string_view name;  // between "[" and the last "]", as written (inner blanks included)
    int line = 0;
    int column = 0;  // of the "["
    std::vector<KeyLine> keys;
};

struct IgnoredLine {
    enum class Kind {
        no_equals,        // inside a section, or before any, with no "="
        before_section,   // "key=value" above the first section
        unclosed_section  // "[" without "]": the section before it goes on
    };
    Kind kind;
    std::string_view text;  // the line without the blanks around it
    int line = 0;
    int column = 0;
};

struct ScriptLayout {
    std::vector<SectionBlock> sections;  // in file order, repeated names included
    std::vector<IgnoredLine> ignored;    // in file order
};

// The layout of `cp1250_text`, which must outlive it.
ScriptLayout scan_layout(std::string_view cp1250_text);

// ASCII letters in lower case, other bytes unchanged: how the reader compares names.
std::string ascii_lower(std::string_view text);

}  // namespace setup
