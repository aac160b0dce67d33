#include <gtest/gtest.h>

#include "install/progress_rules.h"

using namespace setup;

TEST(ProgressRules, CommandLine) {
    EXPECT_EQ(
        extractor_command_line("C:\\Temp\\Uha.exe", "C:\\Program Files\\Gra\\", "D:\\data.uha"),
        "\"C:\\Temp\\Uha.exe\" x -o+ -y+ -t\"C:\\Program Files\\Gra\\\" \"D:\\data.uha\"");
}

TEST(ProgressRules, LinesEndAtCarriageReturnsAcrossChunks) {
    LineAssembler a;
    EXPECT_EQ(a.feed("one\r\ntw"), std::vector<std::string>{"one"});
    EXPECT_EQ(a.feed("o\r"), std::vector<std::string>{"two"});
    EXPECT_EQ(a.feed("\r"), std::vector<std::string>{""});     // empty lines count too
    EXPECT_EQ(a.feed("a\nb\nc"), std::vector<std::string>{});  // line feeds end nothing
    EXPECT_EQ(a.feed("\r"), std::vector<std::string>{"abc"});
    EXPECT_EQ(a.feed("Total:  5%\b\b\b 10%\r"), std::vector<std::string>{"Total:  5% 10%"});
}

TEST(ProgressRules, NameRule) {
    const std::string long_name(70, 'n');
    struct Case {
        std::string line;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {"Extracting dir\\file.txt (42%)", "dir\\file.txt"},
        {"Extracting dir\\file.txt", "dir\\file.txt"},
        {"Extracting file.txt    ", "file.txt"},
        {"Extracting a(b)\\c.txt (7%)", "a(b)\\c.txt"},  // only the last "(" is cut at
        {"Extracting 100%)", "100%)"},                   // no "(" after the first character
        {"Extracting " + long_name, std::string(57, 'n')},
        {"Extracting " + std::string(56, 'x') + " (5%)", std::string(56, 'x')},  // not seen
        {"Extracting " + std::string(52, 'x') + " (42%)", std::string(52, 'x') + " (42%"},
        {"Extracting", ""},
        {"Extracting ", ""},
        {"Extracting     ", " "},  // a name of blanks keeps one
        {"Extracting 3 (1024 bytes)", std::nullopt},
        {"extracting lower case", std::nullopt},
        {"Total:  50%", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(name_of(c.line), c.name) << c.line;
}

TEST(ProgressRules, TotalRule) {
    struct Case {
        std::string line;
        int current;
        std::optional<int> position;
    };
    const Case cases[] = {
        {"Total:   5%", 0, 5},
        {"Total:   5%   ", 0, 5},
        {"Total: 100%", 3, 100},
        {"Total: 250%", 3, 100},
        {"Total:  -5%", 3, 0},
        {"Total: 5%", 7, 7},          // ": 5" is not right-aligned in three characters
        {"x Total: 42% of 7", 9, 9},  // no final "%": the bar stays
        {"Total: a1%", 9, 9},         // not a whole number: the bar stays
        {"Total:%", 9, 9},
        {"Extracting x", 9, std::nullopt},
        {"Total:  5% 10%", 0, 10},  // redrawn with backspaces: the last value counts
    };
    for (const Case& c : cases) EXPECT_EQ(total_of(c.line, c.current), c.position) << c.line;
}

TEST(ProgressRules, ClockAndEstimates) {
    EXPECT_EQ(PadTwoDigits(7), "07");
    EXPECT_EQ(PadTwoDigits(12), "12");
    EXPECT_EQ(PadTwoDigits(-5), "-5");
    EXPECT_EQ(clock_text(59 * 3600 + 59 * 60 + 59), "59:59:59");
    EXPECT_EQ(clock_text(60 * 3600), "00:00:00");
    TimeTexts t = time_texts(75, 30);
    EXPECT_EQ(t.elapsed, "Czas: 00:01:15");
    EXPECT_EQ(t.total, "Razem: 00:04:10");
    EXPECT_EQ(t.remaining, "Pozostało: 00:02:55");
    EXPECT_EQ(time_texts(1, 40).total, "Razem: 00:00:02");  // 2.5 to the even 2
    EXPECT_EQ(time_texts(3, 40).total, "Razem: 00:00:08");  // 7.5 to the even 8
    EXPECT_EQ(time_texts(9, 100).remaining, "Pozostało: 00:00:00");
    EXPECT_FALSE(time_texts(9, 0).total);
    EXPECT_EQ(elapsed_seconds(1.0, 1.0 + 75.9 / 86400), 75);
    EXPECT_EQ(elapsed_seconds(2.0, 1.5), 43200);
}
