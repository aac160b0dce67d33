#include "install/undo_ledger.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace setup {
namespace {

using takeback::Action;

// A drive as the ledger sees it before the run: what exists, and every question it asked.
struct Drive {
    std::map<std::string, PathKind> present;
    std::vector<std::string> asked;
    PathKindOf kind_of() {
        return [this](const std::string& path) {
            asked.push_back(path);
            const auto it = present.find(path);
            return it == present.end() ? PathKind::missing : it->second;
        };
    }
};

TEST(UndoLedger, ExtractionNotesOnlyWhatDidNotExist) {
    Drive drive;
    drive.present = {{"C:\\Gra", PathKind::present},
                     {"C:\\Gra\\Czytaj.txt", PathKind::present},
                     {"C:\\Gra\\dane", PathKind::present},
                     {"C:\\Gra\\dane\\stary.dat", PathKind::present}};
    UndoLedger ledger;
    note_extraction(ledger, "C:\\Gra",
                    {{"Czytaj.txt"},
                     {"dane\\stary.dat"},
                     {"dane\\nowy.dat"},
                     {"Grafika\\Tła\\niebo.jpg"},
                     {"grafika\\ikona.ico"},  // the same folder, spelt otherwise
                     {"GRAFIKA\\TŁA", true},
                     {"puste", true},
                     {"Witaj.exe"},
                     {"Äpfel\\a.txt"},  // letters beyond Polish fold as Windows folds them
                     {"äPFEL\\b.txt"}},
                    drive.kind_of());
    EXPECT_EQ(ledger.folders_made,
              (std::vector<std::string>{"C:\\Gra\\Grafika", "C:\\Gra\\Grafika\\Tła",
                                        "C:\\Gra\\puste", "C:\\Gra\\Äpfel"}));
    EXPECT_EQ(ledger.files_made, (std::vector<std::string>{
                                     "C:\\Gra\\dane\\nowy.dat", "C:\\Gra\\Grafika\\Tła\\niebo.jpg",
                                     "C:\\Gra\\grafika\\ikona.ico", "C:\\Gra\\Witaj.exe",
                                     "C:\\Gra\\Äpfel\\a.txt", "C:\\Gra\\äPFEL\\b.txt"}));
    EXPECT_EQ(ledger.files_replaced,
              (std::vector<std::string>{"C:\\Gra\\Czytaj.txt", "C:\\Gra\\dane\\stary.dat"}));
    // Nothing below a missing folder is asked about, and no folder twice.
    const std::set<std::string> asked(drive.asked.begin(), drive.asked.end());
    EXPECT_EQ(asked.size(), drive.asked.size());
    EXPECT_EQ(asked.count("C:\\Gra\\Grafika\\Tła"), 0u);
    EXPECT_EQ(asked.count("C:\\Gra\\grafika\\ikona.ico"), 0u);
}

TEST(UndoLedger, KeysAreMissingFromTheFirstMissingLevel) {
    const std::set<std::string> keys = {"Software", "Software\\Firma"};
    const auto exists = [&keys](const std::string& k) { return keys.count(k) != 0; };
    EXPECT_EQ(
        missing_key_levels("Software\\Firma\\Gra\\Ustawienia", exists),
        (std::vector<std::string>{"Software\\Firma\\Gra", "Software\\Firma\\Gra\\Ustawienia"}));
    EXPECT_EQ(missing_key_levels("Software\\Firma", exists), std::vector<std::string>{});
    EXPECT_EQ(missing_key_levels("Nowy\\Klucz", exists),
              (std::vector<std::string>{"Nowy", "Nowy\\Klucz"}));
}

// Values are put back before keys go, files before their folders, the latest made first; a
// value that existed is restored with its own type and bytes, never deleted.
TEST(UndoLedger, StepsTakeBackInTheReverseOfTheMaking) {
    Drive drive;
    drive.present = {{"C:\\", PathKind::present}};
    UndoLedger ledger;
    note_folder_levels(ledger, "C:\\Gry\\Gra", drive.kind_of());
    note_extraction(ledger, "C:\\Gry\\Gra", {{"a\\b.txt"}}, drive.kind_of());
    note_file(ledger, "C:\\Gry\\Gra\\uninstal.ini", drive.kind_of());
    ledger.keys_made.push_back({RegistryRoot::local_machine, "Software\\Gra"});
    const PreviousValue old{1, {'s', 't', 'a', 'r', 'y', 0}};
    ledger.values_written.push_back(
        {{RegistryRoot::local_machine, "Software\\Gra"}, "Nowa", std::nullopt});
    ledger.values_written.push_back({{RegistryRoot::current_user, "Software"}, "Stara", old});
    const auto hklm = RegistryRoot::local_machine;
    const std::vector<takeback::Step> expected = {
        {Action::restore_value, "", {RegistryRoot::current_user, "Software", "Stara"}, old},
        {Action::delete_value, "", {hklm, "Software\\Gra", "Nowa"}, {}},
        {Action::delete_key, "", {hklm, "Software\\Gra", ""}, {}},
        {Action::delete_file, "C:\\Gry\\Gra\\uninstal.ini", {}, {}},
        {Action::delete_file, "C:\\Gry\\Gra\\a\\b.txt", {}, {}},
        {Action::remove_folder, "C:\\Gry\\Gra\\a", {}, {}},
        {Action::remove_folder, "C:\\Gry\\Gra", {}, {}},
        {Action::remove_folder, "C:\\Gry", {}, {}},
    };
    EXPECT_EQ(undo_steps(ledger), expected);
}

}  // namespace
}  // namespace setup
