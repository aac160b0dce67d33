// An installed copy of the product: where its entry and record say it lies, and what
// installing another version over it does.
#include <gtest/gtest.h>

#include "install/installed_product.h"
#include "record/uninstall_record.h"

using namespace setup;

TEST(InstalledProduct, FolderFromTheEntryAndGroupFromTheRecord) {
    struct Case {
        UninstallEntryFound entry;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {{"C:\\Moje\\Gra\\", "\"D:\\Inne\\Odinstaluj.exe\"", ""}, "C:\\Moje\\Gra"},
        {{"", "\"C:\\Program Files\\Gra\\Odinstaluj.exe\"", ""}, "C:\\Program Files\\Gra"},
        {{"", "C:\\Gra\\Odinstaluj.exe /S", ""}, "C:\\Gra"},
        {{"", "", "2.0"}, std::nullopt},
        {{"", "Odinstaluj.exe", ""}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(installed_folder(c.entry), c.folder) << c.entry.uninstall_string;

    const std::string programs = "C:\\Menu\\Programy";
    const auto group_of = [&](std::vector<std::string> shortcut_lines) {
        return installed_group(
            record_text(uninstall_record_lines("C:\\Gra", "Gra 1.0", "Gra", {}, shortcut_lines)),
            programs);
    };
    EXPECT_EQ(group_of({folder_record_line(programs + "\\Firma\\Gra"),
                        file_record_line(programs + "\\Firma\\Gra\\Gra.lnk")}),
              "Firma\\Gra");
    EXPECT_EQ(group_of({file_record_line(programs + "\\Autostart\\Gra.lnk")}), "")
        << "links but no group";
    EXPECT_EQ(group_of({folder_record_line(programs + "\\..\\Gra")}), "") << "not below Programs";
    EXPECT_EQ(group_of({folder_record_line("C:\\Menu\\ProgramyX\\Gra")}), "");
}

TEST(InstalledProduct, OlderIsUpdatedSameReinstalledNewerRefusedUnlessForced) {
    const std::pair<const char*, const char*> order[] = {
        {"1", "2"}, {"1.9", "1.10"}, {"2.1", "2.1.0.1"}, {"9", "10.0"}, {"0.9.9", "1"}};
    for (const auto& [older, newer] : order) {
        EXPECT_EQ(compare_versions(older, newer), -1) << older << " < " << newer;
        EXPECT_EQ(compare_versions(newer, older), 1) << newer << " > " << older;
    }
    EXPECT_EQ(compare_versions("2.1", "2.1.0.0"), 0);

    const auto installed = [](const char* version) {
        return std::optional<InstalledProduct>(InstalledProduct{"C:\\Gra", "Gra", version});
    };
    EXPECT_EQ(decide_update(std::nullopt, "2.0", false).text, "");
    EXPECT_EQ(decide_update(installed("1.0"), "2.0", false).text,
              "Zainstalowana wersja 1.0 zostanie zaktualizowana do wersji 2.0.");
    const UpdateDecision newer = decide_update(installed("3.0"), "2.0", false);
    EXPECT_TRUE(newer.refused);
    EXPECT_EQ(newer.text,
              "Zainstalowana jest nowsza wersja 3.0; instalacja wersji 2.0 nie jest możliwa.");
    for (const UpdateDecision& again :
         {decide_update(installed("3.0"), "2.0", true),
          decide_update(installed("2.0"), "2.0", false), decide_update(installed(""), "2.0", false),
          decide_update(installed("3.0"), "", false)}) {
        EXPECT_FALSE(again.refused);
        EXPECT_EQ(again.text, "Zainstalowany program zostanie zaktualizowany.");
    }
}
