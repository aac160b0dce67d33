#include <gtest/gtest.h>

#include "uha/src/names.h"

using uha::fold_name;
using uha::name_problem;

TEST(ArchiveNames, SoundNamesPass) {
    for (const char* name : {"a", "readme.txt", "dir/sub/file.bin", "Dokumenty/Zażółć gęślą.txt",
                             ".hidden", "a..b", "con2", "COM10", "lpt", "CONSOLE.txt", "x y/z"})
        EXPECT_EQ(name_problem(name), std::nullopt) << name;
}

TEST(ArchiveNames, NamesThatWouldEscapeOrBreakAreRefused) {
    struct Case {
        const char* name;
        const char* why;
    };
    const Case cases[] = {
        {"", "empty"},
        {"/etc/passwd", "absolute"},
        {"../up", "parent"},
        {"a/../../up", "parent inside"},
        {"a/./b", "dot"},
        {"a//b", "empty component"},
        {"a/", "trailing slash"},
        {"C:/Windows/x", "drive letter"},
        {"C:x", "drive-relative"},
        {"file.txt:stream", "alternate stream"},
        {"a\\..\\b", "backslash"},
        {"tab\there", "control character"},
        {"del\x7f", "DEL"},
        {"CON", "device"},
        {"dir/nul.txt", "device with extension"},
        {"Com1", "device any case"},
        {"LPT9.log", "printer"},
        {"aux .c", "device with blank"},
        {"conin$", "console input"},
        {"trailing.", "trailing dot"},
        {"trailing ", "trailing blank"},
        {"q?.txt", "wildcard"},
        {"pipe|x", "pipe"},
        {"\xff\xfe", "not UTF-8"},
        {"\xc0\xaf", "overlong slash"},
        {"\xed\xa0\x80", "surrogate"},
    };
    for (const Case& c : cases) EXPECT_NE(name_problem(c.name), std::nullopt) << c.why;
    EXPECT_NE(name_problem(std::string(256, 'a')), std::nullopt);
    EXPECT_NE(name_problem(std::string("a\0b", 3)), std::nullopt);
}

// Windows takes two names for one file when their UTF-16 units upper-case alike; the table
// is Unicode's simple uppercase mapping of the basic plane.
TEST(ArchiveNames, FoldingMatchesWindowsCaseInsensitivity) {
    struct Case {
        const char *a, *b;
        bool same;
    };
    const Case cases[] = {
        {"ReadMe.TXT", "readme.txt", true},
        {"ZAŻÓŁĆ GĘŚLĄ JAŹŃ", "zażółć gęślą jaźń", true},
        {"a", "ą", false},
        {"ł", "l", false},
        {"ÿ", "Ÿ", true},                          // U+00FF and U+0178, outside Latin-1's block
        {"αβγ_ωά", "ΑΒΓ_ΩΆ", true},                // Greek
        {"ёжик в тумане", "ЁЖИК В ТУМАНЕ", true},  // Cyrillic
        {"բարեւ", "ԲԱՐԵՒ", true},                  // Armenian
        {"ａｂｃ", "ＡＢＣ", true},                // full-width Latin, U+FF41 and U+FF21
        {"ａ", "a", false},
        {"ǆ", "Ǆ", true},  // and the title-case ǅ upper-cases with them
        {"ǅ", "Ǆ", true},
        {"ı", "I", true},  // dotless i: its simple uppercase is I
        {"i", "ı", true},
        {"i", "İ", false},       // İ's lower case is i, but it upper-cases to itself
        {"ſ", "s", true},        // long s upper-cases to S
        {"ß", "ẞ", false},       // ß has no simple uppercase; ẞ is its own
        {"\u212A", "k", false},  // the Kelvin sign is upper case already
        {"ⓐ", "Ⓐ", true},        // circled letters, U+24D0 and U+24B6
        {"𐐨", "𐐀", false},       // Deseret, above U+FFFF: left as it is, as Windows leaves pairs
    };
    for (const Case& c : cases)
        EXPECT_EQ(fold_name(c.a) == fold_name(c.b), c.same) << c.a << " / " << c.b;
    // A character above the basic plane and bytes that are not UTF-8 pass unchanged.
    EXPECT_EQ(fold_name("x\xF0\x90\x90\xA8y"), "X\xF0\x90\x90\xA8Y");
    EXPECT_EQ(fold_name("\xFF"
                        "a\xC3"),
              "\xFF"
              "A\xC3");
}

// Points at the edges of the table's runs and in the gaps between them.
TEST(ArchiveNames, UpperCaseOfSingleCodePoints) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0x61, 0x41},     {0x7A, 0x5A},      {0x7B, 0x7B},     {0xD7, 0xD7},     {0xF7, 0xF7},
        {0xFF, 0x178},    {0x101, 0x100},    {0x12F, 0x12E},   {0x130, 0x130},   {0x138, 0x138},
        {0x13A, 0x139},   {0x149, 0x149},    {0x17E, 0x17D},   {0x17F, 0x53},    {0x345, 0x399},
        {0x3C2, 0x3A3},   {0x1E9E, 0x1E9E},  {0xFF41, 0xFF21}, {0xFF5A, 0xFF3A}, {0xFF5B, 0xFF5B},
        {0xFFFF, 0xFFFF}, {0x10428, 0x10428}};
    for (auto [cp, upper] : cases) EXPECT_EQ(uha::upper_case(cp), upper) << std::hex << cp;
}

TEST(ArchiveNames, InputsAreNamedAsArchiversNameThem) {
    struct Case {
        const char* folder;
        const char* path;
        bool windows;
        const char* read;  // what is read
        const char* name;  // stored as, components joined by "/"; nullptr: refused
    };
    const Case cases[] = {
        {"", "bin", false, "bin", "bin"},
        {"", "bin/", false, "bin", "bin"},
        {"", "../up//bin//", false, "../up/bin", "bin"},
        {"", "/opt/product/bin", false, "/opt/product/bin", "bin"},
        {"", "sub/only.txt", false, "sub/only.txt", "only.txt"},
        {"", ".", false, ".", ""},
        {"", "product/.", false, "product", ""},
        {"", "/.", false, "/", ""},
        {"", "/", false, nullptr, nullptr},
        {"", "..", false, nullptr, nullptr},
        {"", "", false, nullptr, nullptr},
        {"", "a\\b", false, "a\\b", "a\\b"},  // a backslash is a character on Linux
        {"product", ".", false, "product", ""},
        {"product/", ".", false, "product/", ""},
        {"base", "sub/x.txt", false, "base/sub/x.txt", "sub/x.txt"},
        {"base", "./sub//x.txt/", false, "base/sub/x.txt", "sub/x.txt"},
        {"base", "../x", false, nullptr, nullptr},
        {"base", "sub/../../x", false, nullptr, nullptr},
        {"base", "/etc", false, nullptr, nullptr},
        {"", "C:\\Gry\\bin\\", true, "C:\\Gry\\bin", "bin"},
        {"", "C:.", true, "C:", ""},
        {"", "C:\\", true, nullptr, nullptr},
        {"", "\\\\server\\share\\bin", true, "\\\\server\\share\\bin", "bin"},
        {"", "dir/sub\\.", true, "dir\\sub", ""},
        {"C:\\produkt", ".", true, "C:\\produkt", ""},
        {"C:\\produkt", "Pomoc/a.txt", true, "C:\\produkt\\Pomoc\\a.txt", "Pomoc/a.txt"},
        {"D:", "x", true, "D:x", "x"},
        {"C:\\produkt", "D:x", true, nullptr, nullptr},
        {"C:\\produkt", "a\\..\\..\\x", true, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const uha::InputPlace place = uha::place_input(c.folder, c.path, c.windows);
        const std::string where = std::string(c.folder) + " | " + c.path;
        if (c.name == nullptr) {
            EXPECT_NE(place.problem, "") << where;
            continue;
        }
        EXPECT_EQ(place.problem, "") << where;
        EXPECT_EQ(place.path, c.read) << where;
        std::string name;
        for (const std::string& part : place.name) name += (name.empty() ? "" : "/") + part;
        EXPECT_EQ(name, c.name) << where;
    }
}

TEST(ArchiveNames, Extension) {
    EXPECT_EQ(uha::extension_of("dir/Program.EXE"), "exe");
    EXPECT_EQ(uha::extension_of("dir.d/noext"), "");
    EXPECT_EQ(uha::extension_of(".profile"), "");
}
