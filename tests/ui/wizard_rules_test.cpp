#include <gtest/gtest.h>

#include "ui/wizard_rules.h"

using namespace setup;

TEST(WizardRules, TargetFolderHasExactlyOneSeparator) {
    EXPECT_EQ(target_folder_for("D:\\", "Gra"), "D:\\Gra");
    EXPECT_EQ(target_folder_for("C:\\Program Files", "Gra"), "C:\\Program Files\\Gra");
    EXPECT_EQ(target_folder_for("C:\\Program Files", "Firma\\Gra"),
              "C:\\Program Files\\Firma\\Gra");
    EXPECT_EQ(group_for("Akcesoria", "Gra"), "Akcesoria\\Gra");
}

TEST(WizardRules, SummaryHasFiveLines) {
    EXPECT_EQ(summary_lines("Gra 1.0", "C:\\Gra", "Gry\\Gra"),
              (std::vector<std::string>{"Gra 1.0 zainstaluje się do katalogu:", "C:\\Gra", "",
                                        "Gra 1.0 utworzy się w Menu Start:", "Gry\\Gra"}));
    const std::vector<std::string> over = summary_lines(
        "Gra 2.0", "C:\\Gra", "Gry", "Zainstalowany program zostanie zaktualizowany.");
    ASSERT_EQ(over.size(), 7u);
    EXPECT_EQ(over[5], "");
    EXPECT_EQ(over[6], "Zainstalowany program zostanie zaktualizowany.");
}

TEST(WizardRules, CaptionPatternTakesTheTitleAsItIs) {
    EXPECT_EQ(format_caption("Witamy w kreatorze instalacyjnym dla %s", "Gra 100%"),
              "Witamy w kreatorze instalacyjnym dla Gra 100%");
    EXPECT_EQ(format_caption("Instalator %s wykonuje", "%s"), "Instalator %s wykonuje");
    EXPECT_EQ(format_caption("bez wzoru", "Gra"), "bez wzoru");
}

TEST(WizardRules, HeaderPicturePlacement) {
    struct Case {
        int width, height, left, top, band;
    };
    for (const Case& c : {Case{109, 56, 387, 0, 388}, Case{109, 40, 387, 8, 388},
                          Case{109, 55, 387, 1, 388}, Case{120, 70, 376, 0, 377}}) {
        PicturePlacement p = place_header_picture(496, c.width, c.height);
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.top, c.top) << c.height;
        EXPECT_EQ(p.band_width, c.band);
    }
}

TEST(WizardRules, ControlIdsAreStableAndDistinct) {
    EXPECT_EQ(control_id("Button4"), 1004);
    EXPECT_EQ(control_id("Label25"), 1125);
    EXPECT_EQ(control_id("DirectoryListBox1"), 1801);
    EXPECT_EQ(control_id("ListBox1"), 1701);
    EXPECT_EQ(control_id("Welcome"), 101);
    EXPECT_EQ(control_id("Anuluj"), 110);
    EXPECT_EQ(control_id("Unknown7"), 0);
    EXPECT_EQ(control_id("Button"), 0);
    EXPECT_EQ(control_id("Button4x"), 0);
}
