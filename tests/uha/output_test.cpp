#include <gtest/gtest.h>

#include <vector>

#include "tests/uha/installer_rules.h"
#include "uha/src/output.h"

namespace {
struct Capture : uha::LineSink {
    std::vector<std::string> lines;
    void line(const std::string& text) override { lines.push_back(text); }
};
}  // namespace

TEST(Output, TotalLineIsReadByTheInstallerRule) {
    for (int p : {0, 5, 42, 99, 100}) {
        std::string line = uha::total_line(p);
        EXPECT_EQ(installer_percent(line), p) << line;
    }
    EXPECT_EQ(uha::total_line(7), "Total:   7%");
}

TEST(Output, PercentOf) {
    EXPECT_EQ(uha::percent_of(0, 10), 0);
    EXPECT_EQ(uha::percent_of(9, 10), 90);
    EXPECT_EQ(uha::percent_of(10, 10), 100);
    EXPECT_EQ(uha::percent_of(0, 0), 100);
    EXPECT_EQ(uha::percent_of(UINT64_MAX / 2, UINT64_MAX), 49);
}

TEST(Output, ProgressLinesCarryNamesAndRisingPercentages) {
    Capture sink;
    uha::Progress progress(sink, "Extracting", 300, 3);
    for (const char* name : {"a.txt", "Dokumenty/żółw.txt", "c"}) {
        progress.file_started(name);
        progress.add_bytes(100);
        progress.file_done();
    }
    ASSERT_EQ(sink.lines.size(), 6u);
    EXPECT_EQ(installer_name(sink.lines[2]), "Dokumenty/żółw.txt");
    EXPECT_EQ(installer_percent(sink.lines[1]), 33);
    EXPECT_EQ(installer_percent(sink.lines[3]), 66);
    EXPECT_EQ(installer_percent(sink.lines[5]), 100);
}

TEST(Output, ManySmallFilesWriteEachPercentageOnce) {
    Capture sink;
    uha::Progress progress(sink, "Extracting", 1000, 1000);
    for (int i = 0; i < 1000; ++i) {
        progress.file_started("f");
        progress.add_bytes(1);
        progress.file_done();
    }
    std::vector<int> percentages;
    for (const std::string& line : sink.lines)
        if (line.starts_with("Total:")) percentages.push_back(installer_percent(line).value_or(-1));
    // 0% after the first file, then each step to 100%.
    ASSERT_EQ(percentages.size(), 101u);
    for (size_t i = 0; i < percentages.size(); ++i) EXPECT_EQ(percentages[i], static_cast<int>(i));
    EXPECT_EQ(sink.lines.size(), 1101u);
}

TEST(Output, ArchiveOfEmptyFilesCountsFiles) {
    Capture sink;
    uha::Progress progress(sink, "Extracting", 0, 2);
    progress.file_done();
    EXPECT_EQ(installer_percent(sink.lines.back()), 50);
}
