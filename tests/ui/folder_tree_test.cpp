#include "ui/folder_tree.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace setup {

// Found by GoogleTest next to FolderRow, for readable failures.
void PrintTo(const FolderRow& r, std::ostream* out) {
    *out << "{" << r.text << ", " << r.depth << ", " << r.path << (r.open ? ", open}" : "}");
}

namespace {

// The Polish names below must reach the code as CP1250 bytes, as Windows' ANSI calls give them.
static_assert(std::string_view("ż")[0] == '\xBF' && std::string_view("Ł")[0] == '\xA3');

struct PathCase {
    std::string path, root, normal, parent;
};

TEST(FolderPaths, RootNormalFormAndParent) {
    const std::vector<PathCase> cases = {
        {"C:\\", "C:\\", "C:\\", ""},
        {"c:", "C:\\", "C:\\", ""},
        {"c:\\Program Files\\", "C:\\", "C:\\Program Files", "C:\\"},
        {"C:\\Program Files\\Gra\\\\", "C:\\", "C:\\Program Files\\Gra", "C:\\Program Files"},
        {"C:/Windows//System32", "C:\\", "C:\\Windows\\System32", "C:\\Windows"},
        {"D:\\Moje dokumenty\\Zażółć gęślą jaźń", "D:\\", "D:\\Moje dokumenty\\Zażółć gęślą jaźń",
         "D:\\Moje dokumenty"},
        {"\\\\serwer\\udział\\a\\b\\", "\\\\serwer\\udział\\", "\\\\serwer\\udział\\a\\b",
         "\\\\serwer\\udział\\a"},
        {"\\\\serwer\\udział", "\\\\serwer\\udział\\", "\\\\serwer\\udział\\", ""},
        {"katalog", "", "katalog", ""},
        {"", "", "", ""},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(root_of(c.path), c.root);
        EXPECT_EQ(normal_folder(c.path), c.normal);
        EXPECT_EQ(parent_folder(c.path), c.parent);
    }
}

TEST(FolderPaths, JoinPutsExactlyOneSeparator) {
    const std::vector<std::vector<std::string>> cases = {
        {"C:\\", "Gra", "C:\\Gra"},
        {"C:\\Program Files", "Gra", "C:\\Program Files\\Gra"},
        {"C:\\Program Files\\", "Gra", "C:\\Program Files\\Gra"},
        {"C:\\Program Files\\\\", "\\Gra", "C:\\Program Files\\Gra"},
        {"D:\\Gry i zabawy", "Łódź nocą", "D:\\Gry i zabawy\\Łódź nocą"},
    };
    for (const auto& c : cases) EXPECT_EQ(join_folder(c[0], c[1]), c[2]) << c[0] << " + " << c[1];
}

TEST(FolderNames, SortedWithoutRegardToCaseAndPolishLettersAfterTheirBase) {
    const std::vector<std::string> expected = {
        "1999",    "_stare", "a", "ą",     "B", "bin", "c",      "Ćwiczenia", "d",    "Łódź", "m",
        "Ostatni", "Ósemka", "s", "Śląsk", "t", "z",   "Źródło", "żaba",      "Żółw", "Ärger"};
    for (size_t i = 0; i < expected.size(); ++i)
        for (size_t j = 0; j < expected.size(); ++j)
            EXPECT_EQ(folder_name_less(expected[i], expected[j]), i < j)
                << expected[i] << " / " << expected[j];
    // Names equal but for case still get one fixed order.
    EXPECT_NE(folder_name_less("Abc", "aBC"), folder_name_less("aBC", "Abc"));
}

struct RowsCase {
    std::string current;
    std::vector<std::string> found;
    std::vector<FolderRow> rows;
};

TEST(FolderRows, PathFromTheRootThenSortedSubfolders) {
    const std::vector<RowsCase> cases = {
        {"C:\\",
         {"Windows", "..", ".", "Program Files", "a"},
         {{"C:\\", 0, "C:\\", true},
          {"a", 1, "C:\\a", false},
          {"Program Files", 1, "C:\\Program Files", false},
          {"Windows", 1, "C:\\Windows", false}}},
        {"c:\\Program Files\\Gra\\",
         {"Zapisy gier", ".", "bin"},
         {{"C:\\", 0, "C:\\", true},
          {"Program Files", 1, "C:\\Program Files", true},
          {"Gra", 2, "C:\\Program Files\\Gra", true},
          {"bin", 3, "C:\\Program Files\\Gra\\bin", false},
          {"Zapisy gier", 3, "C:\\Program Files\\Gra\\Zapisy gier", false}}},
        {"D:\\Moje dokumenty\\Zażółć gęślą jaźń",
         {"Źródła", "Łąka", "Zdjęcia"},
         {{"D:\\", 0, "D:\\", true},
          {"Moje dokumenty", 1, "D:\\Moje dokumenty", true},
          {"Zażółć gęślą jaźń", 2, "D:\\Moje dokumenty\\Zażółć gęślą jaźń", true},
          {"Łąka", 3, "D:\\Moje dokumenty\\Zażółć gęślą jaźń\\Łąka", false},
          {"Zdjęcia", 3, "D:\\Moje dokumenty\\Zażółć gęślą jaźń\\Zdjęcia", false},
          {"Źródła", 3, "D:\\Moje dokumenty\\Zażółć gęślą jaźń\\Źródła", false}}},
    };
    for (const RowsCase& c : cases) {
        SCOPED_TRACE(c.current);
        EXPECT_EQ(folder_rows(c.current, c.found), c.rows);
    }
}

}  // namespace
}  // namespace setup
