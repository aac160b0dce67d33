// The installation's steps after extraction, worked out as data: which links, in which order
// and folders, which registry values under which roots, and the record lines they give.
#include <gtest/gtest.h>

#include "install/installation_plan.h"
#include "record/uninstall_record.h"

using namespace setup;

namespace {

const InstallationChoices kChoices{"C:\\Gry\\Gra", "Moja gra", "C:\\Menu\\Programy", "C:\\Pulpit"};

InstallPlan full_plan() {
    InstallPlan plan;
    plan.StartMenuEntries = {{"Gra", "gra.exe"}, {"Czytaj", "opis\\czytaj.txt"}};
    plan.AutostartEntries = {{"Sprawdź", "sprawdz.exe"}};
    plan.DesktopEntries = {{"Gra", "gra.exe"}};
    plan.RunAfterInstall = {"gra.exe /pierwszy"};
    // Root codes carry over (an unknown integer keeps the previous root); the target folder
    // expands.
    plan.RegistryEntries = {{"1", "\\Software\\Gra", "Folder", "0", "<FOLDERDOCELOWY>\\dane"},
                            {"9", "\\Software\\Gra", "Okno", "1", "42"},
                            {"0", "Software\\Gra", "Nic", "7", "x"}};
    return plan;
}

}  // namespace

TEST(InstallationPlan, LinksInTheOrderMadeWithTheUninstallersFirstInTheGroup) {
    for (const bool uninstaller : {true, false}) {
        ProductSettings product;
        product.ProductFolderName = "Gra";
        product.CreateUninstaller = uninstaller;
        const InstallationSteps steps = plan_installation(full_plan(), product, kChoices);
        std::vector<ShortcutStep> expected;
        if (uninstaller)
            expected.push_back({"C:\\Gry\\Gra\\Odinstaluj.exe", "C:\\Menu\\Programy\\Moja gra",
                                "Odinstaluj Gra",
                                "C:\\Menu\\Programy\\Moja gra\\Odinstaluj Gra.lnk"});
        expected.insert(expected.end(),
                        {{"C:\\Gry\\Gra\\gra.exe", "C:\\Menu\\Programy\\Moja gra", "Gra",
                          "C:\\Menu\\Programy\\Moja gra\\Gra.lnk"},
                         {"C:\\Gry\\Gra\\opis\\czytaj.txt", "C:\\Menu\\Programy\\Moja gra",
                          "Czytaj", "C:\\Menu\\Programy\\Moja gra\\Czytaj.lnk"},
                         {"C:\\Gry\\Gra\\sprawdz.exe", "C:\\Menu\\Programy\\Autostart", "Sprawdź",
                          "C:\\Menu\\Programy\\Autostart\\Sprawdź.lnk"},
                         {"C:\\Gry\\Gra\\gra.exe", "C:\\Pulpit", "Gra", "C:\\Pulpit\\Gra.lnk"}});
        EXPECT_EQ(steps.shortcuts, expected) << uninstaller;
        EXPECT_EQ(steps.write_uninstaller, uninstaller);
        EXPECT_EQ(steps.programs, std::vector<std::string>{"gra.exe /pierwszy"});

        std::vector<std::string> lines = shortcut_record_lines(steps);
        ASSERT_EQ(lines.size(), expected.size() + 1);
        EXPECT_EQ(lines.front(), "U0,C:\\Menu\\Programy\\Moja gra,0");
        EXPECT_EQ(lines.back(), "P0,C:\\Pulpit\\Gra.lnk,0");
    }
}

TEST(InstallationPlan, WithoutStartMenuEntriesNoGroupAndNoUninstallerLink) {
    InstallPlan plan = full_plan();
    plan.StartMenuEntries.clear();
    ProductSettings product;
    product.CreateUninstaller = true;
    const InstallationSteps steps = plan_installation(plan, product, kChoices);
    EXPECT_FALSE(steps.group_folder);
    EXPECT_EQ(shortcut_record_lines(steps),
              (std::vector<std::string>{"P0,C:\\Menu\\Programy\\Autostart\\Sprawdź.lnk,0",
                                        "P0,C:\\Pulpit\\Gra.lnk,0"}));
}

TEST(InstallationPlan, RegistryStepsAndTheirLinesWithTheKeysTheyMade) {
    const InstallationSteps steps = plan_installation(full_plan(), ProductSettings{}, kChoices);
    ASSERT_EQ(steps.registry.size(), 3u);
    EXPECT_EQ(steps.registry[0].root, RegistryRoot::current_user);
    EXPECT_EQ(steps.registry[0].data, "C:\\Gry\\Gra\\dane");
    EXPECT_EQ(steps.registry[0].value.kind, ValueToWrite::Kind::text);
    EXPECT_EQ(steps.registry[1].root, RegistryRoot::current_user) << "9 keeps the previous root";
    EXPECT_EQ(steps.registry[1].value.kind, ValueToWrite::Kind::integer);
    EXPECT_EQ(steps.registry[1].value.integer, 42);
    EXPECT_EQ(steps.registry[2].root, RegistryRoot::local_machine);
    EXPECT_EQ(steps.registry[2].value.kind, ValueToWrite::Kind::nothing);

    EXPECT_EQ(registry_record_lines(steps, {true, false, false}),
              (std::vector<std::string>{"J0,1,\\Software\\Gra,", "J0,1,\\Software\\Gra,Folder",
                                        "J0,1,\\Software\\Gra,Okno", "J0,2,Software\\Gra,Nic"}));
    EXPECT_EQ(registry_record_lines(steps, {false, false, true}).size(), 4u);
    EXPECT_EQ(registry_record_lines(steps, {false, false, true})[2], "J0,2,Software\\Gra,");
}

// Installed again over itself: the keys the first installation made exist, so the second run
// does not count them as made; the first record's word carries them, once each, so that the
// uninstaller still removes them. A lone key line (a default value in a key that was there)
// and a record's cut last line carry nothing.
TEST(InstallationPlan, AnEarlierRecordCarriesTheKeysItsInstallationMade) {
    const std::string earlier =
        "U0,C:\\Gry\\Gra,0\r\n"
        "J0,1,\\Software\\Gra,\r\nJ0,1,\\Software\\Gra,Folder\r\n"
        "J0,1,\\Software\\Obcy,\r\nJ0,1,\\Software\\Inny,x\r\n"
        "J0,1,\\Software\\Z, przecinkiem,\r\nJ0,1,\\Software\\Z, przecinkiem,v,w\r\n"
        "J0,2,Software\\Gra,\r\nJ0,2,Software\\Gra,Nic";
    const std::vector<std::string> made = made_key_lines(earlier);
    EXPECT_EQ(made, (std::vector<std::string>{"J0,1,\\Software\\Gra,"}));
    const InstallationSteps steps = plan_installation(full_plan(), ProductSettings{}, kChoices);
    EXPECT_EQ(registry_record_lines(steps, {false, false, false}, made),
              (std::vector<std::string>{"J0,1,\\Software\\Gra,", "J0,1,\\Software\\Gra,Folder",
                                        "J0,1,\\Software\\Gra,Okno", "J0,2,Software\\Gra,Nic"}));
}
