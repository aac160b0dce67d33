#include <gtest/gtest.h>

#include "names.h"

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

TEST(ArchiveNames, FoldingMatchesWindowsCaseInsensitivity) {
    EXPECT_EQ(fold_name("ReadMe.TXT"), fold_name("readme.txt"));
    EXPECT_EQ(fold_name("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"), fold_name("zażółć gęślą jaźń"));
    EXPECT_NE(fold_name("a"), fold_name("ą"));
    EXPECT_NE(fold_name("ł"), fold_name("l"));
}

TEST(ArchiveNames, Extension) {
    EXPECT_EQ(uha::extension_of("dir/Program.EXE"), "exe");
    EXPECT_EQ(uha::extension_of("dir.d/noext"), "");
    EXPECT_EQ(uha::extension_of(".profile"), "");
}
