#include <gtest/gtest.h>

#include "record/uninstall_record.h"
#include "uninstall/record.h"
#include "uninstall/texts.h"

using namespace setup::uninstall;
using setup::RegistryLine;
using setup::RegistryRoot;

namespace {

std::string lines(std::initializer_list<std::string> items) {
    std::string out;
    for (const std::string& line : items) out += line + "\r\n";
    return out;
}

// A record as the installer writes it for a target typed with a trailing backslash, with a
// comma in its folder name, registry entries and shortcuts.
std::string full_record() {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gra";
    std::string out = lines({
        "U0,C:\\Program Files\\Gra, wersja 2\\,0",
        "A10,Gra 2.0",
        "J0,2," + key + ",",
        "J0,2," + key + ",DisplayName",
        "J0,2," + key + ",UninstallString",
        "J0,1,Software\\Firma, s.c.\\Gra,",
        "J0,1,Software\\Firma, s.c.\\Gra,Ścieżka",
        "J0,1,\\Software\\Firma, s.c.\\Gra,Opis",  // as a script may write it
        "J0,0,.gra,",
        "P0,C:\\Program Files\\Gra, wersja 2\\\\Odinstaluj.exe,0",
        "U0,C:\\Menu\\Programy\\Gra,0",
        "P0,C:\\Menu\\Programy\\Gra\\Gra.lnk,0",
        "P0,C:\\Pulpit\\Gra.lnk,0",
    });
    for (const std::string& text : setup::uninstaller_text_lines()) out += text + "\r\n";
    return out;
}

}  // namespace

TEST(UninstallRecord, ReadsEveryLineOfTheInstallersRecord) {
    const Record r = parse_record(full_record());
    EXPECT_TRUE(r.notes.empty()) << r.notes.front();
    EXPECT_EQ(r.folders, (std::vector<std::string>{"C:\\Program Files\\Gra, wersja 2",
                                                   "C:\\Menu\\Programy\\Gra"}));
    EXPECT_EQ(r.files, (std::vector<std::string>{"C:\\Program Files\\Gra, wersja 2\\Odinstaluj.exe",
                                                 "C:\\Menu\\Programy\\Gra\\Gra.lnk",
                                                 "C:\\Pulpit\\Gra.lnk"}));
    ASSERT_EQ(r.registry.size(), 7u);
    EXPECT_EQ(r.registry[0].root, RegistryRoot::local_machine);
    EXPECT_EQ(r.registry[0].value, "");
    EXPECT_EQ(r.registry[2].value, "UninstallString");
    EXPECT_EQ(r.registry[3].root, RegistryRoot::current_user);
    EXPECT_EQ(r.registry[3].key, "Software\\Firma, s.c.\\Gra");  // up to the last comma
    EXPECT_EQ(r.registry[4].value, "Ścieżka");
    EXPECT_EQ(r.registry[5].key, "Software\\Firma, s.c.\\Gra");  // relative to its root
    EXPECT_EQ(r.registry[6].root, RegistryRoot::classes_root);
    EXPECT_EQ(text(r, kProductTitle), "Gra 2.0");
    EXPECT_EQ(text(r, kReallyStop), "Na pewno przerwać kasowanie?");
    EXPECT_EQ(r.texts.size(), 20u);
}

TEST(UninstallRecord, LineFeedsAloneAlsoEndLines) {
    const Record r = parse_record("U0,C:\\Gra,0\nA10,Gra\n\nP0,C:\\Gra\\a.txt,0\n");
    EXPECT_TRUE(r.notes.empty());
    EXPECT_EQ(r.folders.size(), 1u);
    EXPECT_EQ(r.files.size(), 1u);
}

TEST(UninstallRecord, SkipsUnsoundLinesWithANoteAndKeepsTheRest) {
    const std::string cases[] = {
        "X0,C:\\Gra\\a.txt,0",                      // unknown code
        "p0,C:\\Gra\\a.txt,0",                      // codes are capitals
        "U1,C:\\Gra,0",                             // the installer writes 0
        "U,C:\\Gra,0",                              // no number
        "U0",                                       // no fields
        ",0",                                       // no code
        "U0,,0",                                    // empty folder
        "P0,C:\\Gra\\a.txt",                        // no closing field
        "P0,C:\\Gra\\a.txt,1",                      // another closing field
        "P0,Gra\\a.txt,0",                          // a relative path depends on the current folder
        "P0,\\Gra\\a.txt,0",                        // so does a path without its drive
        std::string("P0,C:\\Gra\\a.txt\0x,0", 19),  // a NUL would cut the path short
        "P0,C:\\Gra\\a\tb.txt,0",                   // control characters
        "J0,4,Software\\Gra,Wartość",               // 4 names no root
        "J0,x,Software\\Gra,Wartość",
        "J0,,Software\\Gra,Wartość",
        "J0,2,,Wartość",              // the root itself
        "J0,2,\\\\Software,Wartość",  // one leading backslash is dropped, two name no key
        "J0,2,\\,Wartość",
        "J0,2,Software",  // no value field
        "J0,2",
        "A10,",  // empty text
        "A1x,tekst",
        "P0,C:\\" + std::string(kMaxRecordLine, 'a') + ",0",
    };
    for (const std::string& bad : cases) {
        const Record r = parse_record(lines({"U0,C:\\Gra,0", bad, "P0,C:\\Gra\\b.txt,0"}));
        EXPECT_EQ(r.notes.size(), 1u) << bad;
        if (!r.notes.empty()) {
            EXPECT_NE(r.notes[0].find("wiersz 2 "), std::string::npos);
        }
        EXPECT_EQ(r.folders, std::vector<std::string>{"C:\\Gra"}) << bad;
        EXPECT_EQ(r.files, std::vector<std::string>{"C:\\Gra\\b.txt"}) << bad;
        EXPECT_TRUE(r.registry.empty()) << bad;
        EXPECT_TRUE(r.texts.empty()) << bad;
    }
}

// Wherever a record is cut off, what is read names nothing the whole record does not name:
// a cut path, key or value name must not become another one.
TEST(UninstallRecord, ATruncatedRecordNamesNothingNew) {
    const std::string whole = full_record();
    const Record full = parse_record(whole);
    auto same = [](const RegistryLine& a, const RegistryLine& b) {
        return a.root == b.root && a.key == b.key && a.value == b.value;
    };
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        const Record r = parse_record(whole.substr(0, cut));
        for (size_t i = 0; i < r.folders.size(); ++i) ASSERT_EQ(r.folders[i], full.folders[i]);
        for (size_t i = 0; i < r.files.size(); ++i) ASSERT_EQ(r.files[i], full.files[i]);
        for (size_t i = 0; i < r.registry.size(); ++i)
            ASSERT_TRUE(same(r.registry[i], full.registry[i])) << "cut at " << cut;
        for (const auto& [id, t] : r.texts) ASSERT_EQ(t, full.texts.at(id)) << "cut at " << cut;
        const bool at_line_end = cut == 0 || whole[cut - 1] == '\n';
        ASSERT_EQ(r.notes.size(), at_line_end ? 0u : 1u) << "cut at " << cut;
    }
}

// The product's uninstall key is the record's first registry line, as the installer writes it.
TEST(UninstallRecord, TheProductKeyIsTheFirstRegistryLine) {
    const std::string parent = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    struct Case {
        std::string first_line;
        bool product;
    };
    const Case cases[] = {
        {"J0,2," + parent + "Gra,", true},
        {"J0,2," + parent + "Gry\\Żółw,", true},
        {"J0,2,software\\microsoft\\windows\\currentversion\\uninstall\\Gra,", true},
        {"J0,2," + parent + "Gra,DisplayName", false},  // a value, not the key
        {"J0,1," + parent + "Gra,", false},             // not HKEY_LOCAL_MACHINE
        {"J0,2," + parent + ",", false},                // the parent itself
        {"J0,2," + parent + "\\Gra,", false},
        {"J0,2,Software\\Microsoft\\Windows\\CurrentVersion\\Run,", false},
    };
    for (const Case& c : cases) {
        const Record r =
            parse_record(lines({"U0,C:\\Gra,0", c.first_line, "J0,2," + parent + "X,"}));
        const std::optional<RegistryLine> key = product_key(r);
        EXPECT_EQ(key.has_value(), c.product) << c.first_line;
        if (key) {
            EXPECT_EQ(c.first_line, "J0,2," + key->key + ",");
        }
    }
}

TEST(UninstallTexts, FallbacksAndFormatting) {
    Record r;
    EXPECT_EQ(text(r, kFinished), "Usuwanie zakończone pomyślnie!");
    EXPECT_EQ(text(r, kProductTitle), "program");
    r.texts[kFinished] = "Gotowe";
    EXPECT_EQ(text(r, kFinished), "Gotowe");
    EXPECT_EQ(format_text("Nie można kopiować %s do %s", {"a.exe", "C:\\Temp\\"}),
              "Nie można kopiować a.exe do C:\\Temp\\");
    // A pattern from a damaged record: only "%s" is filled, never read past the arguments.
    EXPECT_EQ(format_text("%s %s %n %d %% 100%", {"x"}), "x  %n %d %% 100%");
    EXPECT_EQ(format_text("%s", {"%s"}), "%s");
}
