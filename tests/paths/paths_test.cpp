#include <gtest/gtest.h>

#include "paths/paths.h"

using namespace setup::paths;

TEST(Paths, Normalize) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Program Files\\Gra\\", "C:\\Program Files\\Gra"},
        {"C:\\Program Files\\Gra\\\\Odinstaluj.exe", "C:\\Program Files\\Gra\\Odinstaluj.exe"},
        {"C:/Gra//a\\\\\\b/", "C:\\Gra\\a\\b"},
        {"C:\\", "C:\\"},
        {"C:\\\\", "C:\\"},
        {"\\\\serwer\\udział\\\\Gra\\", "\\\\serwer\\udział\\Gra"},
        {"\\\\\\serwer\\x", "\\\\serwer\\x"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(normalize_path(in), out) << in;
}

TEST(Paths, SamePathFoldsPolishLettersAndSeparators) {
    EXPECT_TRUE(same_path("C:\\Program Files\\ŻÓŁW ĄĘŚĆŹŃ\\", "c:\\program files\\żółw ąęśćźń"));
    EXPECT_TRUE(same_path("C:\\Gra\\\\x", "C:/gra/X"));
    EXPECT_FALSE(same_path("C:\\Gra", "C:\\Gra2"));
    EXPECT_FALSE(same_path("C:\\Gra", "D:\\Gra"));
}

TEST(Paths, Within) {
    EXPECT_TRUE(is_within("C:\\Gra", "C:\\Gra\\"));
    EXPECT_TRUE(is_within("C:\\Gra\\a\\b.txt", "c:\\gra"));
    EXPECT_TRUE(is_within("C:\\Windows", "C:\\"));
    EXPECT_FALSE(is_within("C:\\Gra2\\a.txt", "C:\\Gra"));  // a longer name is no child
    EXPECT_FALSE(is_within("C:\\Gra", "C:\\Gra\\a"));
    EXPECT_FALSE(is_within("C:\\Gra", ""));
}

TEST(Paths, RootsAndAbsolutePaths) {
    for (const char* root : {"C:", "C:\\", "d:/", "\\\\serwer\\udział", "\\\\serwer\\udział\\"})
        EXPECT_TRUE(is_drive_root(root)) << root;
    for (const char* folder : {"C:\\Gra", "\\\\serwer\\udział\\Gra"})
        EXPECT_FALSE(is_drive_root(folder)) << folder;
    for (const char* path : {"C:\\Gra", "c:/Gra", "\\\\serwer\\udział\\a"})
        EXPECT_TRUE(is_absolute(path)) << path;
    for (const char* path : {"Gra\\a", "C:Gra", "\\Gra", "\\\\serwer", "\\\\serwer\\", ""})
        EXPECT_FALSE(is_absolute(path)) << path;
}

TEST(Paths, OnlyCanonicalLocalPathsAreSound) {
    struct Case {
        const char* path;
        const char* flaw;  // a part of the reason, "" when sound
    };
    const Case cases[] = {
        {"C:\\Gra\\a.txt", ""},
        {"c:/Gra//dane\\", ""},  // separators as the record's concatenation leaves them
        {"C:\\Gra, wersja 2\\Żółw.lnk", ""},
        {"C:\\", ""},
        {"C:\\Gra\\..\\Windows\\win.ini", "z . lub .."},
        {"C:\\Gra\\..", "z . lub .."},
        {"C:\\.\\Gra", "z . lub .."},
        {"C:\\Gra\\...\\a", "kropką"},
        {"C:\\Gra\\a.exe.", "kropką"},
        {"C:\\Gra \\a.exe", "spacją"},
        {"C:\\Gra\\a.txt:strumień", "strumień"},
        {"C:\\Gra\\a.txt::$DATA", "strumień"},
        {"\\\\?\\C:\\Gra\\a.txt", "urządzenia"},
        {"//./C:/Gra", "urządzenia"},
        {"\\\\.\\PhysicalDrive0", "urządzenia"},
        {"\\\\serwer\\udział\\a.txt", "sieciowa"},
        {"C:Gra\\a.txt", "nie jest pełna"},
        {"\\Gra\\a.txt", "nie jest pełna"},
        {"Gra", "nie jest pełna"},
        {"", "nie jest pełna"},
    };
    for (const Case& c : cases) {
        const std::string flaw = path_flaw(c.path);
        EXPECT_EQ(is_canonical(c.path), std::string(c.flaw).empty()) << c.path;
        EXPECT_NE(flaw.find(c.flaw), std::string::npos) << c.path << ": " << flaw;
    }
}

TEST(Paths, PartsAndDepth) {
    EXPECT_EQ(parent_of("C:\\Gra\\\\a.txt"), "C:\\Gra");
    EXPECT_EQ(parent_of("C:\\Gra"), "C:\\");
    EXPECT_EQ(name_of("C:\\Gra\\a.txt\\"), "a.txt");
    EXPECT_EQ(depth_of("C:\\"), 0);
    EXPECT_EQ(depth_of("C:\\Gra\\\\a\\"), 2);
    EXPECT_EQ(depth_of("a\\b\\c"), 2);
}
