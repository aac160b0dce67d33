#include <gtest/gtest.h>

#include <string>

#include "script/ini_reader.h"
#include "tests/script/script_text.h"

using setup::IniText;
using setup::kMaxIniValueLength;

TEST(IniText, FollowsThePrivateProfileConventions) {
    const IniText ini(script_text(
        "orphan=before any section|[m]|  Key =\t spaced \t|1A=x=y|empty=|; c=comment|k=first|"
        "k=second|no equals sign|[B|dq=\"quoted \"|sq=' single'|odd=\"unbalanced'|lone=\"|"
        "pl=\xAF\xF3\xB3w|[M]|late=under a repeated section"));
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"KEY", "spaced"}, {"1a", "x=y"}, {"empty", ""}, {"pl", "\xAF\xF3\xB3w"}, {"k", "first"},
        {"dq", "quoted "}, {"sq", " single"}, {"odd", "\"unbalanced'"}, {"lone", "\""},
        // missing: never written, before any section, commented out, no "=", in a repeated section
        {"missing", "-"}, {"orphan", "-"}, {"; c", "-"}, {"c", "-"}, {"no equals sign", "-"},
        {"late", "-"}};
    // clang-format on
    for (auto [key, value] : cases) EXPECT_EQ(ini.read("M", key, "-"), value) << key;
    EXPECT_EQ(ini.read("X", "key", "-"), "-");
}

// Also read: lines ending in LF alone, and a last line without any end.
TEST(IniText, CutsLongValuesAfterRemovingQuotes) {
    const std::string exact(kMaxIniValueLength, 'e');
    const IniText ini("[I]\na=" + exact + "\nb=" + exact + "tail\nc=\"" + exact + "\"");
    for (const char* key : {"a", "b", "c"}) EXPECT_EQ(ini.read("I", key, ""), exact) << key;
}
