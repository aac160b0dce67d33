#pragma once
// What the installation hands its uninstaller: the record "uninstal.ini" (CP1250 lines, each
// ended by CR LF, fields unquoted) and the entry in the system's list of removable programs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/registry_root.h"

namespace setup {

inline constexpr std::string_view kUninstallerFile = "Odinstaluj.exe";
inline constexpr std::string_view kRecordFile = "uninstal.ini";

// The parent of every product's uninstall key, under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kUninstallKeysParent =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// The uninstall key's value that holds the SHA-256 of the record's bytes (64 lowercase
// hexadecimal digits, REG_SZ), written after the record's last byte. The key lies under
// HKEY_LOCAL_MACHINE, which only administrators change, while the target folder that holds
// the record may be open to its users: the uninstaller acts only on the record this value
// vouches for.
inline constexpr std::string_view kRecordDigestValue = "UninstallRecordSha256";

// The list of what the installation wrote, beside the record, in the record's line format: a U
// line for each folder it made (the target's and the group's missing levels among them,
// parents first), a P line for each file it wrote, new or written over, and a J line with an
// empty value name for each registry key it made (the missing levels above the keys the script
// writes among them, parents first). Its SHA-256 is the uninstall key's value
// kInstalledListDigestValue, written before the record. The uninstaller removes the files and
// folders below the target only when the list names them, so what was there before the
// installation stays, and the folders and keys it names above them when they are empty; an
// installation without a list (an older one) is removed as before.
inline constexpr std::string_view kInstalledListFile = "uninstal.lst";
inline constexpr std::string_view kInstalledListDigestValue = "UninstallListSha256";

// The record's line codes: the installation writes them, the uninstaller reads them. Each is
// followed by a number (kLineNumber, or a text's number after kTextLine) and a comma.
//   U0,<folder>,0           a folder the installation made
//   P0,<file>,0             a file the installation made
//   J0,<root>,<key>,<name>  a registry value; an empty name stands for the key itself; J64 in
//                           the 64-bit view (RegistryView)
//   A<number>,<text>        a text the uninstaller shows
inline constexpr char kFolderLine = 'U';
inline constexpr char kFileLine = 'P';
inline constexpr char kRegistryLine = 'J';
inline constexpr char kTextLine = 'A';
inline constexpr std::string_view kLineNumber = "0";
// The view a J line's number names ("0" or "64"); nullopt for any other number.
std::optional<RegistryView> registry_line_view(std::string_view number);
// The field that closes a folder or file line: a line cut short lacks it.
inline constexpr std::string_view kPathLineEnd = ",0";
// The text number of the product's title.
inline constexpr int kTitleText = 10;

// target + "\Odinstaluj.exe"; a target ending in a backslash gives a doubled separator.
std::string uninstaller_path(std::string_view target);
// target + "\uninstal.ini".
std::string record_path(std::string_view target);
// target + "\uninstal.lst".
std::string installed_list_path(std::string_view target);

// What one run made or wrote, for its list.
struct WrittenThings {
    std::vector<std::string> folders;  // made, parents first
    std::vector<std::string> files;    // made or written over
    std::vector<std::string> keys;     // lines "J0,<root>,<key>," of the keys made, parents first
};

// The list's lines: U lines of the folders, P lines of the files, then the keys' lines, each
// once (`earlier`, the lines of an earlier installation's list, first).
std::vector<std::string> installed_list_lines(const std::vector<std::string>& earlier,
                                              const WrittenThings& written);

// The U, P and J lines of a list's text; a cut last line counts for nothing.
std::vector<std::string> list_lines(std::string_view list_text);
// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" + the product's folder name, under
// HKEY_LOCAL_MACHINE.
std::string uninstall_key_path(std::string_view folder_name);
// The "UninstallString": the uninstaller's path in double quotes, so that the system never
// splits a target folder at its blanks.
std::string uninstall_command(std::string_view target);

// The lines "J0,<root>,<key>," of the keys that the installation which left `record_text` made:
// each empty-name line followed by a line of the same key. A product installed again into its
// folder carries them into its new record, since the keys exist by then and the new run alone
// would not count them as made, and its uninstaller would leave them.
std::vector<std::string> made_key_lines(std::string_view record_text);

// "U0,{folder},0" and "P0,{file},0".
std::string folder_record_line(std::string_view folder);
std::string file_record_line(std::string_view file);

// The product's uninstall key as its record names it: the values written beyond DisplayName
// and UninstallString (a complete entry's), in their order, and the view it lies in.
struct UninstallKeyLines {
    std::vector<std::string> more_values;
    RegistryView view = RegistryView::program;
};

// The record's lines in their order: the target folder, the title (A10), the uninstall key
// and its values (DisplayName, UninstallString, then `key.more_values`), `registry_lines`,
// the uninstaller, `shortcut_lines`, then the nineteen fixed texts the uninstaller shows.
std::vector<std::string> uninstall_record_lines(std::string_view target, std::string_view title,
                                                std::string_view folder_name,
                                                const std::vector<std::string>& registry_lines,
                                                const std::vector<std::string>& shortcut_lines,
                                                const UninstallKeyLines& key = {});

// The texts the uninstaller shows, by number, written into every record as A lines after the
// product's title (A10). All are written, also where two are equal: the uninstaller looks
// them up by number, and uses these same texts for a line a record lacks.
struct UninstallerText {
    int number;
    std::string_view text;
};
inline constexpr UninstallerText kUninstallerTexts[] = {
    {13, "OK"},
    {36, "Nie można kopiować %s do %s"},
    {42, "Usuwanie plików..."},
    {43, "Na pewno usunąć %s?"},
    {44, "Usuń"},
    {45, "Usuń wszystko"},
    {46, "Zamknij"},
    {47, "%s zostanie usunięty po zrestartowaniu komputera."},
    {48, "Usuwanie plików..."},
    {49, "Nie można uruchomić procesu %s."},
    {50, "Usuwanie zakończone pomyślnie!"},
    {51, "Plik %s może być potrzebny innym aplikacjom. Chcesz go usunąć?"},
    {52, "Plik %s może być potrzebny innym aplikacjom. Chcesz go usunąć?"},
    {53, "Te pliki zostały utworzone po instalacji i nie zostały usunięte."},
    {54, "Usuwanie ustawień w rejestrze..."},
    {55, "Usuwanie rekordów w pliku INI..."},
    {58, "Czekaj..."},
    {80, "Na pewno przerwać kasowanie?"},
    {81, "Sprawdzanie uruchomionych aplikacji..."},
};
// "A13,OK" ... "A81,...", in the order above.
std::vector<std::string> uninstaller_text_lines();

// The file's bytes: every line followed by CR LF.
std::string record_text(const std::vector<std::string>& lines);

}  // namespace setup
