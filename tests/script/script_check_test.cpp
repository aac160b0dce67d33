// The builder's script check: one row per finding, each written as the packager would write the
// script (UTF-8, "|" between lines) and run through check_script_file as "mksetup check" runs
// it; the decoding of script files; the sample script; the starting script of "mksetup init".
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "script/ini_reader.h"
#include "script/setup_script.h"
#include "script_check/code_page_1250.h"
#include "script_check/near_match.h"
#include "script_check/product_scan.h"
#include "script_check/program_architecture.h"
#include "script_check/script_check.h"
#include "script_check/script_layout.h"
#include "script_check/script_source.h"
#include "script_check/script_template.h"

using namespace setup;

namespace {

// "|" between lines, LF line ends: the check makes them CR LF.
std::string lines(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '|' ? '\n' : c;
    return out;
}

std::string formatted(const std::vector<Diagnostic>& diagnostics) {
    std::string text;
    for (const Diagnostic& d : diagnostics)
        text += format_diagnostic("setup.ini", d, "product") + "\n";
    return text;
}

// A product: the game, its data and its help.
const ProductListing kGame = {{"Czytaj.txt", false},
                              {"Dane", true},
                              {"Dane/Pomoc.txt", false},
                              {"gra.exe", false},
                              {"Moja Gra.exe", false},
                              {"Narzędzia", true},
                              {"Narzędzia/Ustawienia.exe", false}};
const ProductListing kEmpty = {{"Dane", true}};
const ProductListing kDeviceName = {{"CON.txt", false}};
const ProductListing kCaseTwins = {{"Czytaj.txt", false}, {"CZYTAJ.TXT", false}};
const ProductListing kRecordName = {{"gra.exe", false}, {"Uninstal.ini", false}};
const ProductListing kLongPath = {{"Dane", true},
                                  {"Dane/" + std::string(240, 'x') + ".txt", false}};

struct Row {
    std::string script;
    const ProductListing* product;  // nullptr: not checked against a product folder
    std::string place;              // "setup.ini:3:5: error: " and the like
    std::string message_part;
};

// clang-format off
const Row kRows[] = {
    // The file's decoding.
    {"[I]|1=Gra ñ|2=Gra", nullptr, "setup.ini:2:7: error: ", "'ñ': U+00F1 has no form in code page 1250"},
    {"\xFF\xFE[\0I\0]\0", nullptr, "setup.ini: error: ", "UTF-16"},
    {"\xEF\xBB\xBF[I]|1=Gr\xB3" "a|2=Gra", nullptr, "setup.ini:2:5: error: ", "byte 0xB3 is not UTF-8, though the file starts with a UTF-8 byte-order mark"},
    // Lines the reader passes over, repeats, a value it cuts.
    {"[I]|1=Gra|2=Gra|Tytuł Gra", nullptr, "setup.ini:4:1: warning: ", "'Tytuł Gra' has no '='"},
    {"  1=Gra|[I]|1=Gra|2=Gra", nullptr, "setup.ini:1:3: warning: ", "'1=Gra' stands before any section"},
    {"[I]|1=Gra|2=Gra|[M", nullptr, "setup.ini:4:1: error: ", "'[M' has no closing ']': the installer ignores the line, and the keys below it count in the section above; write '[M]'"},
    {"[I]|1=Gra|2=Gra|[M]|0=0|[m]|0=0", nullptr, "setup.ini:6:1: warning: ", "section [m] appears again (first at line 4): the installer reads only the first"},
    {"[I]|1=Gra|2=Gra|1 = Inna", nullptr, "setup.ini:4:1: warning: ", "key '1' appears again in [I] (first at line 2)"},
    {"[I]|1=" + std::string(2100, 'x') + "|2=Gra", nullptr, "setup.ini:2:2050: warning: ", "has 2100 characters: the installer reads only the first 2047"},
    // Names the reader never looks up.
    {"[I]|1=Gra|2=Gra|[ M ]|0=0", nullptr, "setup.ini:4:1: warning: ", "unknown section [ M ]: the installer reads only [I], [M], [A], [D], [R] and [S]; did you mean [M]?"},
    {"[I]|1=Gra|2=Gra|[M]|0=1|1a=Gra|1b=gra.exe|1c=x", nullptr, "setup.ini:8:1: warning: ", "unknown key '1c' in [M]: the installer ignores it; did you mean '1a'?"},
    {"[I]|1=Gra|2=Gra|01=Gra", nullptr, "setup.ini:4:1: warning: ", "unknown key '01' in [I]: the installer ignores it; did you mean '1'?"},
    {"[I]|1=Gra|2=Gra|10=Gra", nullptr, "setup.ini:4:1: warning: ", "unknown key '10' in [I]: the installer ignores it; did you mean '1'? ([I] has the keys 1 to 9)"},
    {"[I]|1=Gra|2=Gra|[R]|0=1|1=gra.exe|2=pomoc.exe", nullptr, "setup.ini:7:1: warning: ", "key '2' in [R] is ignored: the entry count (key 0) is 1; raise it to 2"},
    // Section [I].
    {"[I]|2=Gra", nullptr, "setup.ini:1:1: error: ", "the product's title (key 1 in [I]) is missing: the installer shows the title 'Program v1.0'"},
    {"[I]|1=  |2=Gra", nullptr, "setup.ini:2:3: error: ", "the product's title (key 1 in [I]) is empty"},
    {"[M]|0=0|[I]|1=Gra", nullptr, "setup.ini:3:1: error: ", "the product's folder name (key 2 in [I]) is missing: the installer proposes a folder named 'Program'"},
    {"[I]|1=Gra|2=", nullptr, "setup.ini:3:3: error: ", "the product's folder name (key 2 in [I]) is empty"},
    {"[I]|1=Gra|2=Firma\\con.txt", nullptr, "setup.ini:3:9: error: ", "the folder name 'Firma\\con.txt' cannot be a Windows folder: it names a Windows device"},
    {"[I]|1=Gra|2=\\Gra", nullptr, "setup.ini:3:3: error: ", "cannot be a Windows folder: it is an absolute path"},
    {"[I]|1=Gra|2=Firma\\Gra: edycja", nullptr, "setup.ini:3:9: error: ", "cannot be a Windows folder: it contains the character ':'"},
    {"[I]|1=Gra|2=Firma/Gra", nullptr, "setup.ini:3:8: error: ", "cannot be a Windows folder: it contains the character '/'"},
    {"[I]|1=Gra|2=Firma.\\Gra", nullptr, "setup.ini:3:3: error: ", "cannot be a Windows folder: it has a component ending in a dot or blank"},
    {"[I]|1=Gra|2=Firma\\\\Gra", nullptr, "setup.ini:3:9: error: ", "cannot be a Windows folder: it has an empty component"},
    {"[I]|1=Gra|2=Gra|3=", nullptr, "setup.ini:4:3: error: ", "the archive's name (key 3 in [I]) is empty"},
    {"[I]|1=Gra|2=Gra|4=tak", nullptr, "setup.ini:4:3: warning: ", "'tak' is not a number: the installer keeps the uninstaller on"},
    {"[I]|1=Gra|2=Gra|4=2", nullptr, "setup.ini:4:3: warning: ", "2 is neither 0 nor 1: the installer reads it as on"},
    {"[I]|1=Gra|2=Gra|5=czerwony", nullptr, "setup.ini:4:3: warning: ", "'czerwony' is not a number: the installer uses white ($FFFFFF)"},
    {"[I]|1=Gra|2=Gra|5=$1FFFFFF", nullptr, "setup.ini:4:3: warning: ", "'$1FFFFFF' is outside $000000 to $FFFFFF"},
    {"[I]|1=Gra|2=Gra|6=1..2", nullptr, "setup.ini:4:3: error: ", "the product's version (key 6 in [I]) '1..2' is not one to four numbers of up to nine digits separated by dots"},
    {"[I]|1=Gra|2=Gra|6=1.2.3.4.5", nullptr, "setup.ini:4:3: error: ", "write 6=<one to four numbers separated by dots, such as 2.1>"},
    {"[I]|1=Gra|2=Gra|6=v1", nullptr, "setup.ini:4:3: error: ", "'v1' is not one to four numbers"},
    {"[I]|1=Gra|2=Gra|6=1234567890", nullptr, "setup.ini:4:3: error: ", "'1234567890' is not one to four numbers"},
    {"[I]|1=Gra|2=Gra|6=2.|7=Firma", nullptr, "setup.ini:4:3: error: ", "'2.' is not one to four numbers"},
    {"[I]|1=Gra|2=Gra|6= ", nullptr, "setup.ini:4:3: warning: ", "the product's version (key 6 in [I]) is empty: the installer reads it as missing"},
    {"[I]|1=Gra|2=Gra|7=", nullptr, "setup.ini:4:3: warning: ", "the publisher (key 7 in [I]) is empty"},
    {"[I]|1=Gra|2=Gra|8=arm64", nullptr, "setup.ini:4:3: error: ", "the product's kind (key 8 in [I]) 'arm64' is neither x86 nor x64: the installer would install it as a 32-bit program (x86)"},
    {"[I]|1=Gra|2=Gra|8=", nullptr, "setup.ini:4:3: error: ", "'' is neither x86 nor x64"},
    {"[I]|1=Gra|2=Gra|6=1.0|9=www.gra.pl", nullptr, "setup.ini:5:3: warning: ", "'www.gra.pl' does not start with http:// or https://"},
    {"[I]|1=Gra|2=Gra|9=https://gra.pl", nullptr, "setup.ini:4:3: warning: ", "goes into the system's list of programs only with the product's version (key 6) or publisher (key 7)"},
    // Entry counts.
    {"[I]|1=Gra|2=Gra|[M]|0=4|1a=Gra|1b=gra.exe|3a=Pomoc|3b=Czytaj.txt", nullptr, "setup.ini:5:3: warning: ", "the entry count 4 of [M] declares entries 2, 4, which have no keys: the installer reads each as an empty Start-menu shortcut"},
    {"[I]|1=Gra|2=Gra|[R]|0=jeden|1=gra.exe", nullptr, "setup.ini:5:3: warning: ", "the entry count 'jeden' is not a number: the installer reads none of the entries of [R]; write 0=1"},
    {"[I]|1=Gra|2=Gra|[R]|0=-1|1=gra.exe", nullptr, "setup.ini:5:3: warning: ", "the entry count -1 is below 0"},
    {"[I]|1=Gra|2=Gra|[A]|1a=Gra|1b=gra.exe", nullptr, "setup.ini:4:1: warning: ", "[A] has entries but no key 0, their count: the installer reads none of them; write 0=1"},
    {"[I]|1=Gra|2=Gra|[D]|0=10001|[R]|0=1|1=gra.exe", nullptr, "setup.ini:5:3: error: ", "the entry count 10001 of [D] is more than the 10000 entries an installer takes"},
    // Shortcuts.
    {"[I]|1=Gra|2=Gra|[M]|0=1|1a=|1b=gra.exe", nullptr, "setup.ini:6:4: error: ", "entry 1 of [M] has no caption (key 1a)"},
    {"[I]|1=Gra|2=Gra|[D]|0=1|1a=Gra: edycja|1b=gra.exe", nullptr, "setup.ini:6:4: error: ", "the caption 'Gra: edycja' cannot name a link file: it contains the character ':'"},
    {"[I]|1=Gra|2=Gra|[A]|0=1|1a=Gra", nullptr, "setup.ini:6:1: error: ", "entry 1 of [A] has no target (key 1b)"},
    {"[I]|1=Gra|2=Gra|[M]|0=1|1a=Gra|1b=Dane\\Pomoc.tx", &kGame, "setup.ini:7:4: error: ", "the target 'Dane\\Pomoc.tx' names nothing in the product folder; did you mean 'Dane\\Pomoc.txt'?"},
    {"[I]|1=Gra|2=Gra|4=0|[M]|0=1|1a=Usuń|1b=Odinstaluj.exe", &kGame, "setup.ini:8:4: error: ", "names nothing in the product folder (the uninstaller is off: key 4 in [I] is 0)"},
    // Programs started after the installation.
    {"[I]|1=Gra|2=Gra|[R]|0=1|1=", nullptr, "setup.ini:6:3: error: ", "entry 1 of [R] is empty"},
    {"[I]|1=Gra|2=Gra|[R]|0=1|1=Moja Gr --start", &kGame, "setup.ini:6:3: error: ", "the program 'Moja Gr --start' names no file in the product folder: the installer looks for 'Moja.exe'"},
    {"[I]|1=Gra|2=Gra|[R]|0=1|1=Czytaj.txt", &kGame, "setup.ini:6:3: error: ", "'Czytaj.txt' is not a program"},
    // Registry values.
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=HKCU|1b=Software\\Gra|1c=Wersja|1d=0|1e=1", nullptr, "setup.ini:6:4: warning: ", "the root code 'HKCU' is not a number: the installer writes under HKEY_LOCAL_MACHINE"},
    {"[I]|1=Gra|2=Gra|[S]|0=2|1a=1|1b=K|1c=A|1d=0|1e=1|2a=7|2b=K|2c=B|2d=0|2e=2", nullptr, "setup.ini:11:4: warning: ", "the root code 7 is not one of 0 to 4: the installer keeps the root of the entry before, HKEY_CURRENT_USER"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=|1c=A|1d=0|1e=1", nullptr, "setup.ini:7:4: warning: ", "entry 1 of [S] has no key path (key 1b)"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=DWORD|1e=1", nullptr, "setup.ini:9:4: warning: ", "the type code 'DWORD' is not a number: the installer writes a text value (REG_SZ)"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=2|1e=1", nullptr, "setup.ini:9:4: warning: ", "the type code 2 is neither 0 nor 1: the installer writes no value, only the key"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=1|1e=12a", nullptr, "setup.ini:10:4: warning: ", "the data '12a' is not a number: the installer writes it as text"},
    // The target-folder placeholder.
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=0|1e=<FOLDERDOCELOWE>\\bin", nullptr, "setup.ini:10:4: warning: ", "'<FOLDERDOCELOWE>' looks like the target-folder placeholder <FOLDERDOCELOWY> but is not it"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=0|1e=\"<Folder Docelowy>\"", nullptr, "setup.ini:10:5: warning: ", "'<Folder Docelowy>' looks like the target-folder placeholder"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=0|1e=x <FOLDERDOCELOWY\\gra.exe", nullptr, "setup.ini:10:6: warning: ", "'<FOLDERDOCELOWY\\' looks like the target-folder placeholder"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=0|1e=FOLDERDOCELOWY>\\bin", nullptr, "setup.ini:10:4: warning: ", "'FOLDERDOCELOWY>' looks like the target-folder placeholder"},
    {"[I]|1=Gra|2=Gra|[S]|0=1|1a=1|1b=K|1c=A|1d=0|1e=<FOLDERDOCELOWY>;<folderdocelowy>", nullptr, "setup.ini:10:21: warning: ", "a second placeholder <FOLDERDOCELOWY> in one value: the installer replaces only the first"},
    {"[I]|1=Gra|2=Gra|[R]|0=1|1=<FOLDERDOCELOWY>\\gra.exe", nullptr, "setup.ini:6:3: warning: ", "is replaced only in registry data (the e keys of [S]); in key 1 of [R] the installer leaves it as written"},
    // The product folder.
    {"[I]|1=Gra|2=Gra", &kEmpty, "product: error: ", "the product folder holds no files"},
    {"[I]|1=Gra|2=Gra", &kDeviceName, "product/CON.txt: error: ", "Windows cannot hold this name: it names a Windows device"},
    {"[I]|1=Gra|2=Gra", &kCaseTwins, "product/CZYTAJ.TXT: error: ", "its name and 'Czytaj.txt' differ only in letter case"},
    {"[I]|1=Gra|2=Gra", &kRecordName, "product/Uninstal.ini: error: ", "the installer writes its uninstaller (Odinstaluj.exe) and the uninstaller's record (uninstal.ini) into the target folder, over this"},
    {"[I]|1=Gra|2=Gra", &kLongPath, "product/Dane/" + std::string(240, 'x') + ".txt: error: ", "installed under C:\\Program Files\\Gra\\ its path has 270 characters, more than the 259 Windows allows a file"},
};
// clang-format on

// A PE image with one section and headers just valid enough for the reader: PE32+ for a
// 64-bit machine; `managed`: with a CLR header.
std::string pe_image(uint16_t machine, bool managed = false) {
    std::string b(0x400, '\0');
    const auto put = [&b](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
    };
    const bool plus = machine != kMachineI386;
    const size_t fixed = plus ? 112 : 96, optional = 0x58, table = optional + fixed + 128;
    b[0] = 'M', b[1] = 'Z', put(0x3c, 0x40, 4);
    std::memcpy(&b[0x40], "PE\0\0", 4);
    put(0x44, machine, 2), put(0x46, 1, 2), put(0x54, static_cast<uint32_t>(fixed + 128), 2);
    put(optional, plus ? 0x20b : 0x10b, 2), put(optional + 32, 0x1000, 4);
    put(optional + 36, 0x200, 4), put(optional + 60, 0x200, 4), put(optional + fixed - 4, 16, 4);
    if (managed)
        put(optional + fixed + 8 * 14, 0x1000, 4), put(optional + fixed + 8 * 14 + 4, 72, 4);
    std::memcpy(&b[table], ".text", 5);
    put(table + 8, 0x200, 4), put(table + 12, 0x1000, 4), put(table + 16, 0x200, 4);
    put(table + 20, 0x200, 4);
    return b;
}

// A product folder of real files, for the checks that read the programs' headers.
class ProductFolder {
  public:
    explicit ProductFolder(const std::map<std::string, std::string>& files)
        : path_(std::filesystem::temp_directory_path() /
                ("script-check-" + std::to_string(reinterpret_cast<uintptr_t>(this)))) {
        std::filesystem::create_directories(path_);
        for (const auto& [name, bytes] : files)
            std::ofstream(path_ / name, std::ios::binary) << bytes;
        listing_ = scan_product(path_.string());
    }
    ~ProductFolder() { std::filesystem::remove_all(path_); }
    const ProductListing& listing() const { return listing_; }

  private:
    std::filesystem::path path_;
    ProductListing listing_;
};

}  // namespace

TEST(ProgramArchitecture, TellsTheKindFromTheMachineField) {
    const auto bytes = [](const std::string& text) {
        return std::vector<uint8_t>(text.begin(), text.end());
    };
    std::string cut = pe_image(kMachineAmd64);
    cut.resize(0x300);  // the section's data lies past the end: no image Windows starts
    const std::pair<std::string, std::optional<ProductArchitecture>> cases[] = {
        {pe_image(kMachineI386), ProductArchitecture::x86},
        {pe_image(kMachineAmd64), ProductArchitecture::x64},
        {pe_image(kMachineArm64), ProductArchitecture::x64},
        {pe_image(kMachineI386, true), std::nullopt},  // managed: runs as either kind
        {pe_image(0x1c4), std::nullopt},               // 32-bit ARM
        {cut, std::nullopt},
        {"MZ not really a program", std::nullopt},
    };
    for (const auto& [image, kind] : cases)
        EXPECT_EQ(program_architecture(bytes(image)), kind) << image.substr(0x44, 2);
}

// Key 8 against the programs the entries name: each 64-bit program of an x86 installation
// once, at its first entry; an x64 installation of 32-bit programs only once, at key 8; files
// that are no programs count for nothing.
TEST(ScriptCheck, WarnsWhenKey8DisagreesWithThePrograms) {
    const ProductFolder product({{"gra32.exe", pe_image(kMachineI386)},
                                 {"gra64.exe", pe_image(kMachineAmd64)},
                                 {"fake.exe", "MZ but no program"},
                                 {"Czytaj.txt", "text"}});
    struct Case {
        std::string script;
        std::string findings;
    };
    const std::string i = "[I]|1=Gra|2=Gra|";
    const Case cases[] = {
        {i + "[M]|0=2|1a=Gra|1b=GRA64.exe|2a=Gra|2b=gra64.exe|[R]|0=1|1=gra64 --start",
         "setup.ini:7:4: warning: 'gra64.exe' is a 64-bit program, and the installation is x86 "
         "(key 8 in [I] is missing): the installer would put it in Program Files (x86) and its "
         "registry values in the 32-bit view; write 8=x64 in [I]\n"},
        {i + "8=x86|[R]|0=1|1=gra64.exe",
         "setup.ini:7:3: warning: 'gra64.exe' is a 64-bit program, and the installation is x86 "
         "(key 8 in [I] is x86)"},
        {i + "8=x64|[M]|0=2|1a=Gra|1b=gra32.exe|2a=Czytaj|2b=Czytaj.txt|[D]|0=1|1a=F|1b=fake.exe",
         "setup.ini:4:3: warning: every program the entries name is 32-bit ('gra32.exe'), yet "
         "8=x64"},
        {i + "8=x64|[M]|0=2|1a=Gra|1b=gra32.exe|2a=Gra|2b=gra64.exe", ""},
        {i + "8=x64|[M]|0=1|1a=F|1b=fake.exe", ""},
        {i + "[M]|0=2|1a=Gra|1b=gra32.exe|2a=F|2b=fake.exe", ""},
    };
    for (const Case& c : cases) {
        const std::string found =
            formatted(check_script_file(lines(c.script), &product.listing()).diagnostics);
        EXPECT_TRUE(found.starts_with(c.findings) && (found.empty() == c.findings.empty()) &&
                    std::count(found.begin(), found.end(), '\n') <= 1)
            << c.script << "\n"
            << found;
    }
}

TEST(ScriptCheck, EachFindingAtItsPlace) {
    for (const Row& row : kRows) {
        const std::vector<Diagnostic> found =
            check_script_file(lines(row.script), row.product).diagnostics;
        const std::string shown = formatted(found);
        SCOPED_TRACE(row.script.substr(0, 120) + "\n" + shown);
        EXPECT_EQ(found.size(), 1u);
        EXPECT_TRUE(shown.starts_with(row.place));
        EXPECT_NE(shown.find(row.message_part), std::string::npos);
    }
}

// Everything the script may say, said in the ways the reader accepts: no finding.
TEST(ScriptCheck, AScriptUsingEveryFeatureGivesNoFindings) {
    const std::string script = lines(
        "; Gra 2.0|[i]|1 = \"Gra 2.0\" |2=Firma\\Gra|3=dane\\gra.uha|4=0x1|5=$E0A040|"
        "6=2.0.0.123456789|7=Firma|8=X64|9=HTTPS://gra.pl||"
        "[m]|0=$3|1A=Gra|1b=GRA.EXE|2a=Ustawienia|2b=NARZĘDZIA\\ustawienia.exe|"
        "3a=Odinstaluj|3b=odinstaluj.exe|[A]|0=0|[D]|0=1|1a=Dane|1b=dane|"
        "[R]|0=3|1=Moja Gra.exe --start|2=gra /q|3=\"Moja Gra.exe\" x|"
        "[S]|0=3|1a=0|1b=Software\\Gra|1c=|1d=0|1e=<folderdocelowy>\\gra.exe|"
        "2a=4|2b=K|2c=N|2d=1|2e=-0x10|3a=1|3b=K|3c=F|3d=1|3e=<FOLDERDOCELOWY>");
    EXPECT_EQ(formatted(check_script_file(script, &kGame).diagnostics), "");
}

TEST(ScriptCheck, TheSampleScriptAndProductGiveNoFindings) {
    std::ifstream file(SAMPLE_SCRIPT, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    ASSERT_FALSE(bytes.str().empty()) << SAMPLE_SCRIPT;
    ProductListing product = scan_product(SAMPLE_PRODUCT);
    ASSERT_GT(product.size(), 5u);
    product.push_back({"Witaj.exe", false});  // built from sample/program
    const CheckedScript checked = check_script_file(bytes.str(), &product);
    EXPECT_EQ(formatted(checked.diagnostics), "");
    EXPECT_EQ(checked.cp1250_text, bytes.str());  // already CP1250 with CR LF
}

TEST(ScriptSource, DecodesToCp1250WithCrLf) {
    struct Case {
        std::string file;
        std::string text;
        ScriptEncoding encoding;
    };
    // clang-format off
    const Case cases[] = {
        {"[I]\n1=Zażółć €ő\n", "[I]\r\n1=Za\xBF\xF3\xB3\xE6 \x80\xF5\r\n", ScriptEncoding::utf8},
        {"\xEF\xBB\xBF[I]\r\n1=Gęś", "[I]\r\n1=G\xEA\x9C\r\n", ScriptEncoding::utf8},
        {"[I]\n1=Za\xBF\xF3\xB3\xE6\r\n2=x", "[I]\r\n1=Za\xBF\xF3\xB3\xE6\r\n2=x\r\n", ScriptEncoding::cp1250},
        {"\xEF\xBB\xBF", "", ScriptEncoding::utf8},
    };
    // clang-format on
    for (const Case& c : cases) {
        const ScriptSource source = decode_script(c.file);
        EXPECT_EQ(source.cp1250_text, c.text) << c.file;
        EXPECT_EQ(source.encoding, c.encoding) << c.file;
        EXPECT_TRUE(source.diagnostics.empty()) << c.file;
    }
}

// No best fit: "ñ" does not quietly become "n". Columns count characters, not bytes.
TEST(ScriptSource, NamesEachCharacterWithoutACp1250Form) {
    const ScriptSource source = decode_script("[I]\n1=\xF0\x9F\x98\x80ñ€\n");
    EXPECT_EQ(source.cp1250_text, "[I]\r\n1=??\x80\r\n");
    ASSERT_EQ(source.diagnostics.size(), 2u);
    EXPECT_EQ(format_diagnostic("s.ini", source.diagnostics[0]),
              "s.ini:2:3: error: character '\xF0\x9F\x98\x80': U+1F600 has no form in code page "
              "1250, the code page the installer reads its script in; replace the character or "
              "leave it out");
    EXPECT_EQ(source.diagnostics[1].column, 4);
    EXPECT_NE(source.diagnostics[1].message.find("U+00F1"), std::string::npos);
}

// The starting script passes its own check, and the reader finds in it what it promises.
TEST(ScriptTemplate, PassesTheCheckAndShortcutsEachProgramAtTheRoot) {
    const ProductListing data_only = {{"Dane", true}, {"Dane/gra.exe", false}};
    struct Case {
        const char* folder_name;
        const ProductListing& product;
        std::vector<ShortcutEntry> shortcuts;
    };
    const Case cases[] = {
        {"Przykładowa gra", kGame, {{"gra", "gra.exe"}, {"Moja Gra", "Moja Gra.exe"}}},
        {"Dane", data_only, {}},
    };
    for (const Case& c : cases) {
        const std::string script = starting_script(c.folder_name, c.product);
        const CheckedScript checked = check_script_file(script, &c.product);
        EXPECT_EQ(formatted(checked.diagnostics), "") << script;
        const IniText ini(checked.cp1250_text);
        const ProductSettings settings = read_product_settings(ini, "");
        EXPECT_EQ(settings.ProductFolderName, settings.ProductTitle);
        EXPECT_EQ(decode_script(c.folder_name).cp1250_text, settings.ProductTitle + "\r\n");
        const InstallPlan plan = read_install_plan(ini);
        EXPECT_EQ(plan.StartMenuEntries, c.shortcuts) << script;
        EXPECT_TRUE(plan.AutostartEntries.empty() && plan.DesktopEntries.empty() &&
                    plan.RunAfterInstall.empty() && plan.RegistryEntries.empty());
        EXPECT_EQ(settings.ProductVersion, "1.0");
        EXPECT_TRUE(settings.complete_entry());
        EXPECT_EQ(settings.Architecture, ProductArchitecture::x86);  // no file is read
    }
}

// Key 8 follows the programs [M] lists: x64 as soon as one is 64-bit, which the check accepts.
TEST(ScriptTemplate, DeclaresTheKindOfTheListedPrograms) {
    const ProductFolder x86({{"gra32.exe", pe_image(kMachineI386)},
                             {"fake.exe", "MZ"},
                             {"Dane.bin", pe_image(kMachineAmd64)}});  // not listed
    const ProductFolder x64(
        {{"gra32.exe", pe_image(kMachineI386)}, {"gra64.exe", pe_image(kMachineAmd64)}});
    for (const auto& [folder, kind] :
         {std::pair{&x86, ProductArchitecture::x86}, std::pair{&x64, ProductArchitecture::x64}}) {
        const std::string script = starting_script("Gra", folder->listing());
        const CheckedScript checked = check_script_file(script, &folder->listing());
        EXPECT_EQ(formatted(checked.diagnostics), "") << script;
        EXPECT_EQ(read_product_settings(IniText(checked.cp1250_text), "").Architecture, kind)
            << script;
    }
}

// Findings come sorted by place, those without a line first, the decoder's among the
// checker's; a count the reader refuses leaves the other sections checked.
TEST(ScriptCheck, FindingsAreSortedAndARefusedCountStopsNothingElse) {
    const ProductListing product = {{"gra.exe", false}, {"Gra.EXE", false}};
    const std::vector<Diagnostic> found =
        check_script_file(lines("[R]|0=1|1=|[D]|0=10001|[I]|1=ñ|2=Gra|[M]|0=1|1b=gra.exe|1a=Ą:"),
                          &product)
            .diagnostics;
    std::vector<std::pair<int, int>> places;
    for (const Diagnostic& d : found) places.emplace_back(d.line, d.column);
    EXPECT_EQ(places, (std::vector<std::pair<int, int>>{{0, 0}, {3, 3}, {5, 3}, {7, 3}, {12, 4}}))
        << formatted(found);
}

TEST(Diagnostic, FormatsPlacesTheWayCompilersDo) {
    const std::pair<Diagnostic, std::string> cases[] = {
        {{Severity::warning, 12, 4, "m", ""}, "s.ini:12:4: warning: m"},
        {{Severity::error, 0, 0, "m", ""}, "s.ini: error: m"},
        {{Severity::error, 0, 0, "m", "Dane/x.txt"}, "C:\\Gra\\Dane/x.txt: error: m"},
        {{Severity::error, 0, 0, "m", "."}, "C:\\Gra\\: error: m"},
    };
    for (const auto& [diagnostic, text] : cases)
        EXPECT_EQ(format_diagnostic("s.ini", diagnostic, "C:\\Gra\\"), text);
    EXPECT_EQ(format_diagnostic("s.ini", cases[2].first), "Dane/x.txt: error: m");
}

// The raw line pass must find each key where the installer's reader finds it, and read the
// same value there, or its places would point at the wrong lines.
TEST(ScriptLayout, AgreesWithTheReader) {
    const std::string text =
        "k=before\r\n [ M ] \r\n\t1a = \"quoted \" \r\n1A=second\r\n;2a=comment\r\n[M\r\n"
        "2a=' x '\r\n3a==\r\nno equals\r\n[ m ]\r\n4a=repeated section\r\n[I]\r\n1=\t\r\n";
    const ScriptLayout layout = scan_layout(text);
    const IniText ini(text);
    ASSERT_EQ(layout.sections.size(), 3u);
    std::vector<std::string> read;
    for (const KeyLine& key : layout.sections[0].keys) {
        read.push_back(std::string(key.value) + "@" + std::to_string(key.line) + ":" +
                       std::to_string(key.value_column));
        if (key.name != "1A") {  // a repeat: the reader returns the first "1a"
            EXPECT_EQ(ini.read(" M ", key.name, "-"), key.value) << key.name;
        }
    }
    EXPECT_EQ(read, (std::vector<std::string>{"quoted @3:8", "second@4:4", " x @7:5", "=@8:4"}));
    EXPECT_EQ(ini.read(" M ", "4a", "-"), "-");  // under the repeated section: never read
    EXPECT_EQ(layout.sections[2].keys.at(0).value_column, 3);  // an empty value: after "="
    std::vector<IgnoredLine::Kind> ignored;
    for (const IgnoredLine& line : layout.ignored) ignored.push_back(line.kind);
    EXPECT_EQ(ignored, (std::vector<IgnoredLine::Kind>{IgnoredLine::Kind::before_section,
                                                       IgnoredLine::Kind::unclosed_section,
                                                       IgnoredLine::Kind::no_equals}));
}

TEST(NearMatch, SuggestsOnlyWhatWasLikelyMeant) {
    EXPECT_EQ(edit_distance("a1", "1A"), 1u);  // a swap of neighbours, any letter case
    EXPECT_EQ(edit_distance("<FOLDER DOCELOWY>", "<FOLDERDOCELOWY>"), 1u);
    EXPECT_EQ(nearest("1c", {"0", "1a", "1b"}, 1), "1a");  // the first of equals
    EXPECT_EQ(nearest("6", {"1", "2"}, 1), std::nullopt);  // near, but nothing in common
    EXPECT_EQ(nearest("Menu", {"M", "I"}, 2), std::nullopt);
}

// Every character code page 1250 defines goes through the system's conversion both ways.
TEST(CodePage1250, EveryDefinedCharacterConvertsBothWays) {
    std::string all;
    for (int byte = 1; byte <= 0xFF; ++byte)
        if (byte != 0x81 && byte != 0x83 && byte != 0x88 && byte != 0x90 && byte != 0x98)
            all += static_cast<char>(byte);
    const std::string utf8 = cp1250_to_utf8(all);
    EXPECT_EQ(utf8.substr(0x40, 16), "ABCDEFGHIJKLMNOP");
    const Cp1250Conversion back = utf8_to_cp1250(utf8);
    EXPECT_EQ(back.text, all);
    EXPECT_TRUE(back.unmappable.empty());
    EXPECT_EQ(utf8_to_cp1250("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ€").text,
              "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\x80");
}
