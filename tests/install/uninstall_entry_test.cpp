// A product of today: its complete entry in the system's list of programs, and the 64-bit
// view its values, uninstall key and record lines go to.
#include <gtest/gtest.h>

#include "install/installation_plan.h"
#include "install/target_folder.h"
#include "install/undo_ledger.h"
#include "install/uninstall_entry.h"
#include "record/uninstall_record.h"

using namespace setup;

namespace {

const std::string kTarget = "C:\\Program Files\\Gra";

ProductSettings product(std::string version, std::string publisher, std::string address = "") {
    ProductSettings p;
    p.ProductFolderName = "Gra";
    p.ProductVersion = std::move(version);
    p.Publisher = std::move(publisher);
    p.WebAddress = std::move(address);
    return p;
}

}  // namespace

TEST(UninstallEntry, WrittenOnlyWithAVersionOrAPublisherEachValueAsGiven) {
    InstallPlan plan;
    plan.StartMenuEntries = {{"Czytaj", "opis\\czytaj.txt"}, {"Gra", "bin\\Gra.EXE"}};
    const EntryFacts facts{kTarget, "20261209", 1025};
    EXPECT_TRUE(uninstall_entry_values(product("", ""), plan, facts).empty());
    EXPECT_TRUE(uninstall_entry_values(product("", "", "https://gra.pl"), plan, facts).empty())
        << "an address alone completes nothing";

    const std::vector<EntryValue> full =
        uninstall_entry_values(product("2.1", "Firma Żółw", "https://gra.pl"), plan, facts);
    const std::vector<EntryValue> expected = {
        {"DisplayVersion", "2.1", {}},
        {"Publisher", "Firma Żółw", {}},
        {"URLInfoAbout", "https://gra.pl", {}},
        {"InstallLocation", kTarget, {}},
        {"InstallDate", "20261209", {}},
        {"EstimatedSize", "", 2u},                        // 1025 bytes, rounded up
        {"DisplayIcon", kTarget + "\\bin\\Gra.EXE", {}},  // the first program, not the text
        {"QuietUninstallString", "\"" + kTarget + "\\Odinstaluj.exe\" /S", {}},
        {"NoModify", "", 1u},
        {"NoRepair", "", 1u}};
    EXPECT_EQ(full, expected);

    // Without a program among the Start-menu entries the uninstaller stands for the product;
    // sizes round up to whole KiB and never overflow the DWORD.
    plan.StartMenuEntries.pop_back();
    const auto value_of = [&](uint64_t bytes, const std::string& name) {
        for (const EntryValue& v :
             uninstall_entry_values(product("", "Firma"), plan, {kTarget, "20261209", bytes}))
            if (v.name == name) return v;
        return EntryValue{};
    };
    EXPECT_EQ(value_of(0, "DisplayIcon").text, kTarget + "\\Odinstaluj.exe");
    EXPECT_EQ(value_of(0, "DisplayVersion").name, "") << "no version, no value";
    for (const auto& [bytes, kib] :
         {std::pair<uint64_t, uint32_t>{0, 0}, {1, 1}, {1024, 1}, {1ull << 50, 0xFFFFFFFFu}})
        EXPECT_EQ(value_of(bytes, "EstimatedSize").number, kib) << bytes;
    EXPECT_EQ(install_date_text(2027, 1, 5), "20270105");
}

TEST(UninstallEntry, TheRecordNamesEveryValueInTheViewOfTheProductsKind) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra";
    // Without the new keys, the lines of today; a complete 64-bit entry: every value's line,
    // in the 64-bit view, after the two of today.
    const std::vector<std::string> today =
        uninstall_record_lines(kTarget, "Gra 2.1", "Gra", {}, {});
    EXPECT_EQ(today, uninstall_record_lines(kTarget, "Gra 2.1", "Gra", {}, {}, {}));
    EXPECT_EQ(today[2], "J0,2," + key + ",");
    const std::vector<std::string> wide =
        uninstall_record_lines(kTarget, "Gra 2.1", "Gra", {"J64,1,Software\\Gra,Okno"}, {},
                               {{"DisplayVersion", "NoRepair"}, RegistryView::x64});
    ASSERT_EQ(wide.size(), today.size() + 3);
    EXPECT_EQ(std::vector<std::string>(wide.begin() + 2, wide.begin() + 8),
              (std::vector<std::string>{"J64,2," + key + ",", "J64,2," + key + ",DisplayName",
                                        "J64,2," + key + ",UninstallString",
                                        "J64,2," + key + ",DisplayVersion",
                                        "J64,2," + key + ",NoRepair", "J64,1,Software\\Gra,Okno"}));

    // The script's values of a 64-bit product, their lines and their undo are all in its view.
    InstallPlan plan;
    plan.RegistryEntries = {{"1", "\\Software\\Gra", "Okno", "1", "42"}};
    ProductSettings p = product("", "");
    p.Architecture = ProductArchitecture::x64;
    const InstallationSteps steps = plan_installation(plan, p, {kTarget, "Gra", "P", "D"});
    ASSERT_EQ(steps.registry.size(), 1u);
    EXPECT_EQ(steps.registry[0].view, RegistryView::x64);
    EXPECT_EQ(registry_record_lines(steps, {true}),
              (std::vector<std::string>{"J64,1,\\Software\\Gra,", "J64,1,\\Software\\Gra,Okno"}));
    UndoLedger ledger;
    ledger.keys_made.push_back({RegistryRoot::current_user, "Software\\Gra", RegistryView::x64});
    ledger.values_written.push_back(
        {{RegistryRoot::current_user, "Software\\Gra", RegistryView::x64}, "Okno", {}});
    for (const takeback::Step& step : undo_steps(ledger))
        EXPECT_EQ(step.registry.view, RegistryView::x64) << undo_step_text(step);
    EXPECT_EQ(undo_step_text(undo_steps(ledger)[1]), "usunięcie klucza J64,1,\\Software\\Gra,");

    // A list carries the 64-bit keys' lines; other numbers are no registry line.
    EXPECT_EQ(list_lines("J64,1,Software\\Gra,\r\nJ65,1,Software\\Gra,\r\nJ0,1,A,\r\n"
                         "P0,C:\\a,0\r\nP64,C:\\b,0\r\n"),
              (std::vector<std::string>{"J64,1,Software\\Gra,", "J0,1,A,", "P0,C:\\a,0"}));
}

TEST(UninstallEntry, ASixtyFourBitProductNeverGoesWhereItsFilesAreRedirected) {
    EXPECT_EQ(product_view(ProductArchitecture::x86), RegistryView::program);

    struct Case {
        const char* target;
        bool refused;
    };
    const Case cases[] = {
        {"C:\\Windows\\System32\\Gra", true},   {"c:\\windows\\SYSTEM32", true},
        {"C:\\Windows\\Sysnative\\Gra", true},  {"C:\\Windows\\SysWOW64\\Gra", false},
        {"C:\\Windows\\System32x\\Gra", false}, {"C:\\Program Files\\Gra", false}};
    for (const Case& c : cases)
        EXPECT_EQ(!redirected_target_refusal(c.target, "C:\\Windows\\").empty(), c.refused)
            << c.target;
    EXPECT_EQ(redirected_target_refusal("C:\\Windows\\System32\\Gra", ""), "");
}
