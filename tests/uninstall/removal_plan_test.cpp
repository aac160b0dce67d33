#include <gtest/gtest.h>
#include <algorithm>

#include "install/registry_rules.h"
#include "record/uninstall_record.h"
#include "uninstall/removal_plan.h"
#include "uninstall/report.h"
#include "uninstall/texts.h"

using namespace setup::uninstall;
using setup::RegistryRoot;

namespace {

const std::vector<std::string> kProtected = {"C:\\WINDOWS",
                                             "C:\\WINDOWS\\system32",
                                             "C:\\Program Files",
                                             "C:\\users\\jan\\Pulpit",
                                             "C:\\users\\jan\\Moje dokumenty",
                                             "C:\\users\\jan\\Menu Start\\Programy"};

const std::string kPrograms = "C:\\users\\jan\\Menu Start\\Programy";
const std::string kDesktop = "C:\\users\\jan\\Pulpit";

PlanInput input_for(const std::string& target, std::uint64_t record_time = 5) {
    PlanInput in;
    in.target = target;
    in.uninstaller = target + "\\Odinstaluj.exe";
    in.record_path = target + "\\uninstal.ini";
    in.record_time = record_time;
    in.protected_folders = kProtected;
    in.programs_folders = {kPrograms, "C:\\ProgramData\\Menu Start\\Programy"};
    in.shortcut_folders = {kPrograms, kDesktop, "C:\\users\\Public\\Pulpit"};
    return in;
}

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
            case Action::restore_value:
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

// With the installation's list, a folder that held files of others before the installation
// keeps them, and itself: only what the list names goes, below the target and of the record's
// folders, and the levels it made above the target and the group go last, deepest first.
TEST(UninstallPlan, WithTheListOnlyWhatTheInstallationWroteGoes) {
    const std::string group = kPrograms + "\\Żółw Firma\\Produkt";
    Record r = record_for("C:\\Gry\\", {group});
    r.files = {"C:\\Gry\\Odinstaluj.exe", group + "\\Gra.lnk"};
    PlanInput in = input_for("C:\\Gry\\", 1000);
    in.uninstaller = "C:\\Gry\\Odinstaluj.exe";
    in.record_path = "C:\\Gry\\uninstal.ini";
    in.list_path = "C:\\Gry\\uninstal.lst";
    Record list;
    list.folders = {"C:\\Gry\\dane", kPrograms + "\\Żółw Firma", group};
    list.files = {"C:\\Gry\\Gra.exe",       "C:\\Gry\\dane\\poziom.dat", "C:\\Gry\\NOTATKI.TXT",
                  "C:\\Gry\\zmieniony.cfg", "C:\\Gry\\Odinstaluj.exe",   group + "\\Gra.lnk"};
    in.installed = installed_list(list);
    in.tree = {
        {"Gra.exe", false, false, 900},
        {"notatki.txt", false, false, 10},      // written over by the installation: its now
        {"zmieniony.cfg", false, false, 1001},  // changed since: kept as today
        {"InnaGra", true, false, 10},
        {"InnaGra\\zapisy", true, false, 10},
        {"InnaGra\\zapisy\\save1.dat", false, false, 10},
        {"stary.txt", false, false, 10},
        {"dane", true, false, 900},
        {"dane\\poziom.dat", false, false, 900},
        {"Odinstaluj.exe", false, false, 990},
        {"uninstal.ini", false, false, 1000},
        {"uninstal.lst", false, false, 990},
    };
    const Plan plan = make_plan(r, in);
    EXPECT_EQ(describe_steps(plan), (std::vector<std::string>{
                                        "file " + group + "\\Gra.lnk",
                                        "file C:\\Gry\\Gra.exe",
                                        "file C:\\Gry\\notatki.txt",
                                        "file C:\\Gry\\dane\\poziom.dat",
                                        "folder " + group,
                                        "folder C:\\Gry\\dane",
                                        "file C:\\Gry\\Odinstaluj.exe",
                                        "file C:\\Gry\\uninstal.ini",
                                        "file C:\\Gry\\uninstal.lst",
                                        "folder " + kPrograms + "\\Żółw Firma",
                                    }));
    EXPECT_EQ(plan.kept, std::vector<std::string>{"C:\\Gry\\zmieniony.cfg"});
    EXPECT_EQ(plan.before, (std::vector<std::string>{"C:\\Gry\\InnaGra", "C:\\Gry\\InnaGra\\zapisy",
                                                     "C:\\Gry\\InnaGra\\zapisy\\save1.dat",
                                                     "C:\\Gry\\stary.txt", "C:\\Gry\\"}));

    // A target the installation made goes, then the levels above it, the deepest first; never
    // a protected folder, whatever the list says.
    list.folders = {"C:\\Program Files", "C:\\Program Files\\Żółw Firma",
                    "C:\\Program Files\\Żółw Firma\\Produkt"};
    list.files = {};
    in = input_for("C:\\Program Files\\Żółw Firma\\Produkt", 1000);
    in.list_path = "C:\\Program Files\\Żółw Firma\\Produkt\\uninstal.lst";
    in.installed = installed_list(list);
    const std::vector<std::string> steps =
        describe_steps(make_plan(record_for("C:\\Program Files\\Żółw Firma\\Produkt"), in));
    EXPECT_EQ(std::vector<std::string>(steps.end() - 2, steps.end()),
              (std::vector<std::string>{"folder C:\\Program Files\\Żółw Firma\\Produkt",
                                        "folder C:\\Program Files\\Żółw Firma"}));
}

// Every value the record names goes, in whatever key; of the keys, those the record says were
// made and those the list adds above them, the deepest first, never a root, never a level the
// list does not name.
TEST(UninstallPlan, WithTheListTheKeysMadeAboveTheScriptsKeysGoToo) {
    const std::string u = setup::uninstall_key_path("Produkt");
    Record r = parse_record("U0,C:\\Gry,0\r\nJ0,2," + u + ",\r\nJ0,2," + u +
                            ",DisplayName\r\n"
                            "J0,1,Software\\Microsoft\\Windows\\CurrentVersion\\Run,Produkt\r\n"
                            "J0,1,Software\\ZolwFirma\\Produkt\\Okno,\r\n"
                            "J0,1,Software\\ZolwFirma\\Produkt\\Okno,Szerokość\r\n");
    PlanInput in = input_for("C:\\Gry");
    in.list_path = "C:\\Gry\\uninstal.lst";
    in.installed =
        installed_list(parse_record("J0,2," + u +
                                    ",\r\nJ0,1,Software\\ZolwFirma\\Produkt,\r\n"
                                    "J0,1,software\\zolwfirma\\produkt\\OKNO,\r\nJ0,1,,\r\n"
                                    "J0,1,Software\\Inny,Wartość\r\n"));
    const std::vector<std::string> steps = describe_steps(make_plan(r, in));
    const std::string z = "HKEY_CURRENT_USER\\Software\\ZolwFirma\\Produkt";
    EXPECT_EQ(
        std::vector<std::string>(steps.begin(), steps.end() - 3),
        (std::vector<std::string>{
            "value HKEY_LOCAL_MACHINE\\" + u,
            "value HKEY_LOCAL_MACHINE\\" + u + "\\DisplayName",
            "value HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Produkt",
            "value " + z + "\\Okno",
            "value " + z + "\\Okno\\Szerokość",
            "value HKEY_LOCAL_MACHINE\\" + u + "\\UninstallListSha256",
            "value HKEY_LOCAL_MACHINE\\" + u + "\\UninstallRecordSha256",
            "key HKEY_LOCAL_MACHINE\\" + u,
            "key " + z + "\\Okno",
            "key " + z,
        }));
}

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
    PlanInput in = input_for("C:\\Gra\\", 1000);
    in.uninstaller = "C:\\Gra\\Odinstaluj.exe";
    in.record_path = "C:\\Gra\\uninstal.ini";
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
    const PlanInput in = input_for("C:\\Gra");
    const Plan plan = make_plan(r, in);
    EXPECT_EQ(describe_steps(plan),
              (std::vector<std::string>{
                  "file C:\\users\\jan\\Pulpit\\Gra.LNK", "file C:\\Gra\\pomoc\\gra.hlp",
                  "file C:\\Gra\\Odinstaluj.exe", "file C:\\Gra\\uninstal.ini", "folder C:\\Gra"}));
    ASSERT_EQ(plan.notes.size(), 3u);
    EXPECT_EQ(plan.notes[0],
              "Plik C:\\WINDOWS\\system32\\ważny.dll nie leży w folderze programu i nie jest "
              "jego skrótem: pozostaje.");
}

TEST(UninstallPlan, GroupFoldersThatAreSystemFoldersStay) {
    Record r = record_for("C:\\Gra", {"C:\\users\\jan\\Menu Start\\Programy\\", "C:\\", "C:\\Gra"});
    const PlanInput in = input_for("C:\\Gra");
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
        {RegistryRoot::classes_root, ".gra", ""},
        {RegistryRoot::current_config, "Software\\Gra", ""},
        {RegistryRoot::current_config, "Software\\Gra", "Tryb"},
    };
    const PlanInput in = input_for("C:\\Gra");
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
                            "value HKEY_CURRENT_CONFIG\\Software\\Gra",
                            "value HKEY_CURRENT_CONFIG\\Software\\Gra\\Tryb",
                            "value HKEY_LOCAL_MACHINE\\" + u + "\\UninstallRecordSha256",
                            "key HKEY_LOCAL_MACHINE\\" + u,
                            "key HKEY_CURRENT_USER\\Software\\Firma\\Gra",
                            "key HKEY_CURRENT_CONFIG\\Software\\Gra",
                            "key HKEY_CLASSES_ROOT\\.gra",
                        }));
    // "Software\Firma" is a lone line, followed by another key's: the default value of a
    // key that was there before, which made no key: the value goes, the key stays.
    EXPECT_EQ(plan.notes, std::vector<std::string>{});
}

TEST(UninstallReport, StatusAndList) {
    Record r;
    r.notes = {"Pominięto wiersz 3 pliku uninstal.ini: nieznany kod wiersza."};
    Plan plan;
    plan.kept = {"C:\\Gra\\zapis.sav"};
    const Step file{Action::delete_file, Phase::files, "C:\\Gra\\a.exe", {}};
    const Step key{Action::delete_key, Phase::registry, "", {RegistryRoot::users, "S\\Gra", ""}};

    Report fine;
    fine.add(file, {Outcome::removed, ""});
    fine.add(key, {Outcome::not_empty, ""});
    fine.add(file, {Outcome::scheduled, ""});
    EXPECT_EQ(fine.status(r), "Usuwanie zakończone pomyślnie!");
    EXPECT_EQ(fine.lines(r, plan),
              (std::vector<std::string>{
                  "C:\\Gra\\a.exe zostanie usunięty po zrestartowaniu komputera.",
                  "Te pliki zostały utworzone po instalacji i nie zostały usunięte.",
                  "C:\\Gra\\zapis.sav", r.notes[0]}));

    Report failed;
    failed.add(key, {Outcome::failed, "Odmowa dostępu"});
    EXPECT_EQ(failed.status(r), "Nie wszystko udało się usunąć.");
    EXPECT_EQ(failed.lines(r, {})[0], "Nie można usunąć HKEY_USERS\\S\\Gra: Odmowa dostępu");

    Report stopped;
    stopped.stopped(false);
    EXPECT_EQ(stopped.status(r), "Usuwanie przerwane.");
    EXPECT_EQ(stopped.lines(r, {})[0], "Nic nie zostało usunięte.");
}

namespace {

// The record the installer's own code writes for a product with a Start-menu group, an
// Autostart and a desktop link, a key of its own with a value and a file type.
std::string genuine_record() {
    using setup::registry_record_line;
    const std::vector<std::string> registry = {
        registry_record_line(RegistryRoot::current_user, "Software\\Żółw", ""),
        registry_record_line(RegistryRoot::current_user, "Software\\Żółw", "Folder"),
        registry_record_line(RegistryRoot::classes_root, ".zolw", ""),
        registry_record_line(RegistryRoot::classes_root, ".zolw", ""),
    };
    const std::vector<std::string> shortcuts = {
        setup::folder_record_line(kPrograms + "\\Gry\\Żółw"),
        setup::file_record_line(kPrograms + "\\Gry\\Żółw\\Odinstaluj Żółw.lnk"),
        setup::file_record_line(kPrograms + "\\Autostart\\Żółw.lnk"),
        setup::file_record_line(kDesktop + "\\Żółw.lnk"),
    };
    return setup::record_text(
        setup::uninstall_record_lines("C:\\Gry\\Żółw", "Żółw 1.0", "Żółw", registry, shortcuts));
}

std::vector<std::string> notes_of(const Record& record, const Plan& plan) {
    std::vector<std::string> out = record.notes;
    out.insert(out.end(), plan.notes.begin(), plan.notes.end());
    return out;
}

}  // namespace

TEST(UninstallPlan, TheInstallersRecordIsRemovedWhole) {
    const Record r = parse_record(genuine_record());
    PlanInput in = input_for("C:\\Gry\\Żółw");
    const Plan plan = make_plan(r, in);
    const std::string u = "HKEY_LOCAL_MACHINE\\" + setup::uninstall_key_path("Żółw");
    EXPECT_EQ(notes_of(r, plan), std::vector<std::string>{});
    EXPECT_EQ(describe_steps(plan), (std::vector<std::string>{
                                        "file " + kPrograms + "\\Gry\\Żółw\\Odinstaluj Żółw.lnk",
                                        "file " + kPrograms + "\\Autostart\\Żółw.lnk",
                                        "file " + kDesktop + "\\Żółw.lnk",
                                        "folder " + kPrograms + "\\Gry\\Żółw",
                                        "value " + u,
                                        "value " + u + "\\DisplayName",
                                        "value " + u + "\\UninstallString",
                                        "value HKEY_CURRENT_USER\\Software\\Żółw",
                                        "value HKEY_CURRENT_USER\\Software\\Żółw\\Folder",
                                        "value HKEY_CLASSES_ROOT\\.zolw",
                                        "value " + u + "\\UninstallRecordSha256",
                                        "key " + u,
                                        "key HKEY_CURRENT_USER\\Software\\Żółw",
                                        "key HKEY_CLASSES_ROOT\\.zolw",
                                        "file C:\\Gry\\Żółw\\Odinstaluj.exe",
                                        "file C:\\Gry\\Żółw\\uninstal.ini",
                                        "folder C:\\Gry\\Żółw",
                                    }));
}

// One line added to the installer's record: a line that reaches outside what the
// installation made is noted and adds no step; one inside it adds its step and no note.
TEST(UninstallPlan, AnAddedLineActsOnlyInsideTheInstallation) {
    struct Case {
        std::string line;
        std::string note;  // a part of the one note expected, "" for none
        std::string step;  // the one step expected in addition, "" for none
    };
    const Case cases[] = {
        {"P0,C:\\Gry\\Żółw\\..\\..\\Windows\\System32\\drivers\\etc\\hosts,0", "z . lub ..", ""},
        {"U0,C:\\Gry\\Żółw\\..,0", "z . lub ..", ""},
        {"P0,\\\\?\\C:\\Windows\\win.ini,0", "ścieżka urządzenia", ""},
        {"P0,C:\\Gry\\Żółw\\dane.txt:ukryty,0", "strumień", ""},
        {"P0,\\\\serwer\\udział\\Gry\\Żółw\\a.txt,0", "ścieżka sieciowa", ""},
        {"P0,C:\\Gry\\Żółw\\łącze\\hosts,0", "nie jest jego skrótem", ""},  // behind a link
        {"P0,C:\\users\\jan\\Moje dokumenty\\Praca.lnk,0", "nie jest jego skrótem", ""},
        {"P0,C:\\Windows\\System32\\drivers\\etc\\hosts,0", "nie jest jego skrótem", ""},
        {"P0," + kDesktop + "\\Raport.doc,0", "nie jest jego skrótem", ""},
        {"P0," + kPrograms + "\\Inny\\Inny.lnk,0", "", "file " + kPrograms + "\\Inny\\Inny.lnk"},
        {"P0,C:\\Gry\\Żółw\\dane\\a.txt,0", "", "file C:\\Gry\\Żółw\\dane\\a.txt"},
        {"U0,C:\\Inny,0", "ani w menu Start", ""},
        {"U0," + kPrograms + ",0", "ani w menu Start", ""},
        {"U0," + kPrograms + "\\Inny,0", "", "folder " + kPrograms + "\\Inny"},
        // The uninstall key vouches for the record: a value goes in whatever key holds it.
        {"J0,0,txtfile,", "", "value HKEY_CLASSES_ROOT\\txtfile"},
        {"J0,1,Software\\Istniejący,Wartość", "",
         "value HKEY_CURRENT_USER\\Software\\Istniejący\\Wartość"},
        {"J0,1,software\\ŻÓŁW\\Opcje,Tryb", "",
         "value HKEY_CURRENT_USER\\software\\ŻÓŁW\\Opcje\\Tryb"},
    };
    PlanInput in = input_for("C:\\Gry\\Żółw");
    in.tree = {{"łącze", true, true, 0}};
    const std::vector<std::string> genuine =
        describe_steps(make_plan(parse_record(genuine_record()), in));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Record r = parse_record(genuine_record() + c.line + "\r\n");
        const Plan plan = make_plan(r, in);
        std::vector<std::string> steps = describe_steps(plan);
        if (!c.step.empty()) {
            const auto added = std::find(steps.begin(), steps.end(), c.step);
            ASSERT_NE(added, steps.end());
            steps.erase(added);
        }
        EXPECT_EQ(steps, genuine);
        const std::vector<std::string> notes = notes_of(r, plan);
        if (c.note.empty()) {
            EXPECT_EQ(notes, std::vector<std::string>{});
        } else {
            ASSERT_EQ(notes.size(), 1u);
            EXPECT_NE(notes[0].find(c.note), std::string::npos) << notes[0];
        }
    }
}

TEST(UninstallRefusal, TheRecordMustBeTheOneTheUninstallKeyVouchesFor) {
    const std::string digest(64, 'a');
    const Record genuine = parse_record(genuine_record());
    Record foreign_first = genuine;  // the uninstall key is not the first registry line
    std::swap(foreign_first.registry[0], foreign_first.registry[3]);
    Record other_root = genuine;
    other_root.registry[0].root = RegistryRoot::current_user;
    struct Case {
        const Record* record;
        std::string stored;
        std::string refusal_names;  // "" when accepted
    };
    const Case cases[] = {
        {&genuine, digest, ""},
        {&genuine, "", "Brak sumy kontrolnej"},
        {&genuine, std::string(63, 'a') + "b", "został zmieniony"},
        {&genuine, std::string(64, 'A'), "został zmieniony"},
        {&genuine, digest + " ", "został zmieniony"},
        {&foreign_first, digest, "nie wskazuje klucza"},
        {&other_root, digest, "nie wskazuje klucza"},
    };
    for (const Case& c : cases) {
        const std::string why =
            digest_refusal(*c.record, "C:\\Gry\\Żółw\\uninstal.ini", digest, c.stored);
        if (c.refusal_names.empty()) {
            EXPECT_EQ(why, "") << c.stored;
        } else {
            EXPECT_NE(why.find(c.refusal_names), std::string::npos) << c.stored << ": " << why;
            EXPECT_NE(why.find("Nic nie zostało usunięte."), std::string::npos) << why;
        }
    }
    EXPECT_NE(digest_refusal(genuine, "x", "", ""), "");  // nothing stored, nothing hashed
}

// A 64-bit product's record: each line names its view, and everything of the product goes in
// that view, its digest and its key too; the same key in the other view is another key.
TEST(UninstallPlan, ASixtyFourBitProductIsRemovedInItsView) {
    const std::string u = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra";
    Record r = parse_record("U0,C:\\Gra,0\r\nJ64,2," + u + ",\r\nJ64,2," + u +
                            ",DisplayName\r\nJ64,1,Software\\Gra,\r\nJ64,1,Software\\Gra,Okno\r\n"
                            "J0,1,Software\\Gra,Okno\r\nJ65,1,Software\\Gra,X\r\n");
    ASSERT_EQ(r.notes.size(), 1u) << "J65 names no view";
    EXPECT_EQ(product_key(r)->view, setup::RegistryView::x64);
    std::vector<std::string> registry;
    for (const std::string& s : describe_steps(make_plan(r, input_for("C:\\Gra"))))
        if (s.starts_with("value") || s.starts_with("key")) registry.push_back(s);
    const std::string wide = " (widok 64-bitowy)";
    EXPECT_EQ(registry, (std::vector<std::string>{
                            "value HKEY_LOCAL_MACHINE\\" + u + wide,
                            "value HKEY_LOCAL_MACHINE\\" + u + "\\DisplayName" + wide,
                            "value HKEY_CURRENT_USER\\Software\\Gra" + wide,
                            "value HKEY_CURRENT_USER\\Software\\Gra\\Okno" + wide,
                            "value HKEY_CURRENT_USER\\Software\\Gra\\Okno",
                            "value HKEY_LOCAL_MACHINE\\" + u + "\\UninstallRecordSha256" + wide,
                            "key HKEY_LOCAL_MACHINE\\" + u + wide,
                            "key HKEY_CURRENT_USER\\Software\\Gra" + wide,
                        }));
}
