#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "script/ini_reader.h"
#include "script/setup_script.h"
#include "tests/script/script_text.h"

using namespace setup;

namespace {

ProductSettings settings_of(std::string_view lines) {
    return read_product_settings(IniText(script_text(lines)), "C:\\Kat\\");
}

InstallPlan plan_of(std::string_view lines) {
    return read_install_plan(IniText(script_text(lines)));
}

}  // namespace

TEST(ProductSettings, DefaultsWithoutSectionIAndEveryKeyRead) {
    const auto settings = [](std::string title, std::string folder, std::string archive,
                             bool uninstaller, int32_t colour) {
        ProductSettings s;
        s.ProductTitle = std::move(title);
        s.ProductFolderName = std::move(folder);
        s.ArchivePath = std::move(archive);
        s.CreateUninstaller = uninstaller;
        s.AccentColor = colour;
        return s;
    };
    EXPECT_EQ(settings_of("[M]|0=0"),
              settings("Program v1.0", "Program", "C:\\Kat\\data.uha", true, 16777215));
    EXPECT_EQ(settings_of("[i]|1 = \xAF\xF3\xB3w 2.0 |2=Firma\\Gra|3=sub\\x.uha|4=0|5=0xFF0000"),
              settings("\xAF\xF3\xB3w 2.0", "Firma\\Gra", "C:\\Kat\\sub\\x.uha", false,
                       16711680));  // blue
}

TEST(ProductSettings, NumbersSetTheSwitchAndColourOtherTextsKeepTheDefaults) {
    // clang-format off
    const std::tuple<std::string, bool, int32_t> cases[] = {
        {"0", false, 0}, {"2", true, 2}, {"-1", true, -1}, {"$FF", true, 255},
        {"yes", true, 16777215}, {"", true, 16777215}};
    // clang-format on
    for (const auto& [value, uninstaller, colour] : cases) {
        const ProductSettings s = settings_of("[I]|4=" + value + "|5=" + value);
        EXPECT_EQ(s.CreateUninstaller, uninstaller) << value;
        EXPECT_EQ(s.AccentColor, colour) << value;
    }
}

TEST(ProductSettings, VersionPublisherKindAndAddressOfAProductOfToday) {
    const ProductSettings none = settings_of("[I]|1=Gra");
    EXPECT_FALSE(none.complete_entry());
    EXPECT_EQ(none.Architecture, ProductArchitecture::x86);
    const ProductSettings full =
        settings_of("[I]|6=2.1|7=Firma \xAF\xF3\xB3w|8=X64|9=https://gra.pl");
    EXPECT_EQ(full.ProductVersion, "2.1");
    EXPECT_EQ(full.Publisher, "Firma \xAF\xF3\xB3w");
    EXPECT_EQ(full.Architecture, ProductArchitecture::x64);
    EXPECT_EQ(full.WebAddress, "https://gra.pl");
    EXPECT_TRUE(settings_of("[I]|7=Firma").complete_entry());
    // A kind the installer does not know installs as it always did.
    EXPECT_EQ(settings_of("[I]|8=arm64").Architecture, ProductArchitecture::x86);
    EXPECT_EQ(parse_architecture("x86"), ProductArchitecture::x86);
    for (const char* kind : {"", "x64 ", "amd64", "X6", "x644"})
        EXPECT_EQ(parse_architecture(kind), std::nullopt) << kind;

    // clang-format off
    const std::pair<const char*, bool> versions[] = {
        {"1", true}, {"2.1", true}, {"10.0.3.1", true}, {"123456789.0", true},
        {"", false}, {"1.", false}, {".1", false}, {"1..2", false}, {"1.2.3.4.5", false},
        {"v1", false}, {"1.0 beta", false}, {"1234567890", false}, {"-1", false}};
    // clang-format on
    for (const auto& [text, sound] : versions) EXPECT_EQ(is_product_version(text), sound) << text;
}

TEST(InstallPlan, EntryCountComesFromKeyZero) {
    const std::pair<std::string, size_t> cases[] = {{"", 0},    {"0=0", 0},   {"0=-1", 0},
                                                    {"0=x", 0}, {"0=1 2", 0}, {"0=0x2", 2}};
    for (const auto& [count, entries] : cases) {
        const InstallPlan plan = plan_of("[S]|" + count + "|1a=1|1b=K|2a=0|2e=D|3a=2");
        EXPECT_EQ(plan.RegistryEntries.size(), entries) << count;
    }
}

TEST(InstallPlan, EachSectionFillsItsListAndMissingKeysGiveEmptyFields) {
    const InstallPlan plan = plan_of(
        "[S]|0=2|1a=1|1b=Software\\Firma|1c=Kat|1d=0|1e=<FOLDERDOCELOWY>|2a=nie|2e=0x10|"
        "[R]|0=2|1=inst.exe /q|2=czytaj.txt|3=above N|[a]|0=1|1a=Pi\xB3ka|1b=tray.exe|"
        "[D]|0=3|1a=Gra|1B=bin\\gra.exe|[M]|0=1|1a=Gra|1b=gra.exe");
    EXPECT_EQ(plan, (InstallPlan{{{"Gra", "gra.exe"}},
                                 {{"Pi\xB3ka", "tray.exe"}},
                                 {{"Gra", "bin\\gra.exe"}, {"", ""}, {"", ""}},
                                 {"inst.exe /q", "czytaj.txt"},
                                 {{"1", "Software\\Firma", "Kat", "0", "<FOLDERDOCELOWY>"},
                                  {"nie", "", "", "", "0x10"}}}));
}

// Entries without keys still count, so a huge count cannot be cut short without changing the
// plan; it is refused before any entry is read instead of filling memory.
TEST(InstallPlan, RefusesHugeEntryCounts) {
    for (const char* count : {"0=2000000000", "0=$7FFFFFFF"}) {
        try {
            plan_of(std::string("[R]|") + count);
            ADD_FAILURE() << count << " was accepted";
        } catch (const ScriptError& e) {
            EXPECT_NE(std::string(e.what()).find("[R]"), std::string::npos) << e.what();
        }
    }
    const std::string at_limit = "[A]|0=" + std::to_string(kMaxEntryCount);
    EXPECT_EQ(plan_of(at_limit).AutostartEntries.size(), size_t{kMaxEntryCount});
}
