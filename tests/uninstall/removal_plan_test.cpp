#include <gtest/gtest.h>

#include "removal_plan.h"
#include "report.h"
#include "texts.h"

using namespace setup::uninstall;
using setup::RegistryRoot;

namespace {

const std::vector<std::string> kProtected = {"C:\\WINDOWS",
                                             "C:\\WINDOWS\\system32",
                                             "C:\\Program Files",
                                             "C:\\users\\jan\\Pulpit",
                                             "C:\\users\\jan\\Moje dokumenty",
                                             "C:\\users\\jan\\Menu Start\\Programy"};

Record record_for(const std::string& target, std::vector<std::string> more_folders = {}) {
    Record r;
    r.folders.push_back(target);
    for (auto& f : more_folders) r.folders.push_back(f);
    return r;
}

std::vector<std::string> describe_steps(const Plan& plan) {
    std::vector<std::string> out;
    for (const Step& s : plan.steps) {
        switch (s.action) {
            case Action::delete_file:
                out.push_back("file " + s.path);
                break;
            case Action::remove_folder:
                out.push_back("folder " + s.path);
                break;
            case Action::delete_value:
                out.push_back("value " + describe(s.registry));
                break;
            case Action::delete_key:
                out.push_back("key " + describe(s.registry));
                break;
        }
    }
    return out;
}

}  // namespace

TEST(UninstallRefusal, TargetMustHoldTheRecordAndBeNoSystemFolder) {
    struct Case {
        std::string target;         // the record's U line
        std::string record_folder;  // where the record lies
        std::string refusal_names;  // "" when allowed
    };
    const Case cases[] = {
        {"C:\\Program Files\\Gra\\", "c:\\program files\\GRA", ""},
        {"C:\\Program Files\\Gra\\\\", "C:\\Program Files\\Gra", ""},
        {"C:\\users\\jan\\Moje dokumenty\\Gra", "C:\\users\\jan\\Moje dokumenty\\Gra", ""},
        {"C:\\WINDOWS\\Gra", "C:\\WINDOWS\\Gra", ""},
        {"C:\\Program Files\\Gra", "C:\\Program Files\\Inna", "nie opisuje folderu"},
        {"C:\\", "C:\\", "katalogiem głównym"},
        {"D:\\\\", "D:\\", "katalogiem głównym"},
        {"\\\\serwer\\udział\\", "\\\\serwer\\udział", "katalogiem głównym"},
        {"C:\\Program Files", "C:\\Program Files", "systemu lub użytkownika"},
        {"c:\\windows\\", "C:\\WINDOWS", "systemu lub użytkownika"},
        {"C:\\users\\jan\\Pulpit", "C:\\users\\jan\\Pulpit", "systemu lub użytkownika"},
        {"C:\\users", "C:\\users", "systemu lub użytkownika"},  // holds the profiles
    };
    for (const Case& c : cases) {
        const std::string why = refusal(record_for(c.target), c.record_folder, kProtected);
        if (c.refusal_names.empty()) {
            EXPECT_EQ(why, "") << c.target;
        } else {
            EXPECT_NE(why.find(c.refusal_names), std::string::npos) << c.target << ": " << why;
            EXPECT_NE(why.find("Nic nie zostało usunięte."), std::string::npos);
        }
    }
    Record none;
    EXPECT_NE(refusal(none, "C:\\Gra", kProtected), "");
    // The target is the U line naming the record's folder, wherever it stands.
    Record group_first = record_for("C:\\Menu\\Gra", {"C:\\Gra\\"});
    EXPECT_EQ(refusal(group_first, "C:\\Gra", kProtected), "");
    EXPECT_EQ(find_target(group_first, "C:\\Gra"), "C:\\Gra\\");
}

TEST(UninstallPlan, RemovesOldFilesKeepsNewerOnesAndEndsWithItself) {
    Record r = record_for("C:\\Gra\\", {"C:\\users\\jan\\Menu Start\\Programy\\Gra"});
    r.files = {"C:\\Gra\\Odinstaluj.exe", "C:\\users\\jan\\Menu Start\\Programy\\Gra\\Gra.lnk",
               "C:\\users\\jan\\Pulpit\\Gra.lnk", "C:\\Gra\\\\a.exe"};
    PlanInput in;
    in.target = "C:\\Gra\\";
    in.uninstaller = "C:\\Gra\\Odinstaluj.exe";
    in.record_path = "C:\\Gra\\uninstal.ini";
    in.record_time = 1000;
    in.protected_folders = kProtected;
    in.tree = {
        {"a.exe", false, false, 900},
        {"Odinstaluj.exe", false, false, 990},
        {"uninstal.ini", false, false, 1000},
        {"dane", true, false, 900},
        {"dane\\stary.dat", false, false, 1000},  // the same time as the record: installed
        {"dane\\zapis.sav", false, false, 1001},  // written after the installation
        {"dane\\głęboko", true, false, 900},
        {"dane\\głęboko\\x.dat", false, false, 10},
        {"łącze", true, true, 900},  // a link to elsewhere: not followed
    };
    const Plan plan = make_plan(r, in);
    EXPECT_EQ(describe_steps(plan), (std::vector<std::string>{
                                        "file C:\\users\\jan\\Menu Start\\Programy\\Gra\\Gra.lnk",
                                        "file C:\\users\\jan\\Pulpit\\Gra.lnk",
                                        "file C:\\Gra\\a.exe",
                                        "file C:\\Gra\\dane\\stary.dat",
                                        "file C:\\Gra\\dane\\głęboko\\x.dat",
                                        "folder C:\\users\\jan\\Menu Start\\Programy\\Gra",
                                        "folder C:\\Gra\\dane\\głęboko",
                                        "folder C:\\Gra\\dane",
                                        "file C:\\Gra\\Odinstaluj.exe",
                                        "file C:\\Gra\\uninstal.ini",
                                        "folder C:\\Gra\\",
                                    }));
    EXPECT_EQ(plan.kept, (std::vector<std::string>{"C:\\Gra\\dane\\zapis.sav", "C:\\Gra\\łącze"}));
    EXPECT_TRUE(plan.notes.empty());
    EXPECT_EQ(plan.steps.back().phase, Phase::finish);
}

TEST(UninstallPlan, FilesOutsideTheTargetGoOnlyWhenTheyAreShortcuts) {
    Record r = record_for("C:\\Gra");
    r.files = {"C:\\WINDOWS\\system32\\ważny.dll", "C:\\users\\jan\\Pulpit\\Gra.LNK",
               "C:\\Gra2\\dane.dat", "C:\\Gra\\pomoc\\gra.hlp", "C:\\lnk"};
    PlanInput in{"C:\\Gra", "C:\\Gra\\Odinstaluj.exe", "C:\\Gra\\uninstal.ini", 5, {}, kProtected};
    const Plan plan = make_plan(r, in);
    EXPECT_EQ(describe_steps(plan),
              (std::vector<std::string>{
                  "file C:\\users\\jan\\Pulpit\\Gra.LNK", "file C:\\Gra\\pomoc\\gra.hlp",
                  "file C:\\Gra\\Odinstaluj.exe", "file C:\\Gra\\uninstal.ini", "folder C:\\Gra"}));
    ASSERT_EQ(plan.notes.size(), 3u);
    EXPECT_EQ(plan.notes[0],
              "Plik C:\\WINDOWS\\system32\\ważny.dll nie leży w folderze programu i nie jest "
              "skrótem: pozostaje.");
}

TEST(UninstallPlan, GroupFoldersThatAreSystemFoldersStay) {
    Record r = record_for("C:\\Gra", {"C:\\users\\jan\\Menu Start\\Programy\\", "C:\\", "C:\\Gra"});
    PlanInput in{"C:\\Gra", "C:\\Gra\\Odinstaluj.exe", "C:\\Gra\\uninstal.ini", 5, {}, kProtected};
    const Plan plan = make_plan(r, in);
    EXPECT_EQ(plan.notes.size(), 2u);
    EXPECT_EQ(describe_steps(plan),
              (std::vector<std::string>{"file C:\\Gra\\Odinstaluj.exe",
                                        "file C:\\Gra\\uninstal.ini", "folder C:\\Gra"}));
}

TEST(UninstallPlan, RegistryValuesFirstThenKeysDeepestAndLastFirst) {
    Record r = record_for("C:\\Gra");
    const std::string u = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra";
    r.registry = {
        {RegistryRoot::local_machine, u, ""},
        {RegistryRoot::local_machine, u, "DisplayName"},
        {RegistryRoot::local_machine, u, "UninstallString"},
        {RegistryRoot::current_user, "Software\\Firma", ""},
        {RegistryRoot::current_user, "Software\\Firma\\Gra", ""},
        {RegistryRoot::current_user, "Software\\Firma\\Gra", "Ścieżka"},
        {RegistryRoot::current_user, "Software\\Firma\\Gra", "Ścieżka"},  // twice: once
        {RegistryRoot::classes_root, ".gra", ""},
        {RegistryRoot::current_config, "Software\\Gra", "Tryb"},
    };
    PlanInput in{"C:\\Gra", "C:\\Gra\\Odinstaluj.exe", "C:\\Gra\\uninstal.ini", 5, {}, kProtected};
    const Plan plan = make_plan(r, in);
    std::vector<std::string> registry;
    for (const std::string& s : describe_steps(plan))
        if (s.starts_with("value") || s.starts_with("key")) registry.push_back(s);
    // A line without a value name takes the key's default value along with the key.
    EXPECT_EQ(registry, (std::vector<std::string>{
                            "value HKEY_LOCAL_MACHINE\\" + u,
                            "value HKEY_LOCAL_MACHINE\\" + u + "\\DisplayName",
                            "value HKEY_LOCAL_MACHINE\\" + u + "\\UninstallString",
                            "value HKEY_CURRENT_USER\\Software\\Firma",
                            "value HKEY_CURRENT_USER\\Software\\Firma\\Gra",
                            "value HKEY_CURRENT_USER\\Software\\Firma\\Gra\\Ścieżka",
                            "value HKEY_CLASSES_ROOT\\.gra",
                            "value HKEY_CURRENT_CONFIG\\Software\\Gra\\Tryb",
                            "key HKEY_LOCAL_MACHINE\\" + u,
                            "key HKEY_CURRENT_USER\\Software\\Firma\\Gra",
                            "key HKEY_CURRENT_USER\\Software\\Firma",
                            "key HKEY_CLASSES_ROOT\\.gra",
                        }));
}

TEST(UninstallReport, StatusAndList) {
    Record r;
    r.notes = {"Pominięto wiersz 3 pliku uninstal.ini: nieznany kod wiersza."};
    Plan plan;
    plan.kept = {"C:\\Gra\\zapis.sav"};
    const Step file{Action::delete_file, Phase::files, "C:\\Gra\\a.exe", {}};
    const Step key{Action::delete_key, Phase::registry, "", {RegistryRoot::users, "S\\Gra", ""}};

    Report fine;
    fine.add(file, Outcome::removed);
    fine.add(key, Outcome::not_empty);
    fine.add(file, Outcome::scheduled);
    EXPECT_EQ(fine.status(r), "Usuwanie zakończone pomyślnie!");
    EXPECT_EQ(fine.lines(r, plan),
              (std::vector<std::string>{
                  "C:\\Gra\\a.exe zostanie usunięty po zrestartowaniu komputera.",
                  "Te pliki zostały utworzone po instalacji i nie zostały usunięte.",
                  "C:\\Gra\\zapis.sav", r.notes[0]}));

    Report failed;
    failed.add(key, Outcome::failed, "Odmowa dostępu");
    EXPECT_EQ(failed.status(r), "Nie wszystko udało się usunąć.");
    EXPECT_EQ(failed.lines(r, {})[0], "Nie można usunąć HKEY_USERS\\S\\Gra: Odmowa dostępu");

    Report stopped;
    stopped.stopped(false);
    EXPECT_EQ(stopped.status(r), "Usuwanie przerwane.");
    EXPECT_EQ(stopped.lines(r, {})[0], "Nic nie zostało usunięte.");
}
