#include "uninstall_record.h"

#include "registry_rules.h"

namespace setup {
namespace {

// Written every time, also where two texts are equal: the uninstaller looks them up by number.
constexpr std::string_view kFixedTexts[] = {
    "A13,OK",
    "A36,Nie można kopiować %s do %s",
    "A42,Usuwanie plików...",
    "A43,Na pewno usunąć %s?",
    "A44,Usuń",
    "A45,Usuń wszystko",
    "A46,Zamknij",
    "A47,%s zostanie usunięty po zrestartowaniu komputera.",
    "A48,Usuwanie plików...",
    "A49,Nie można uruchomić procesu %s.",
    "A50,Usuwanie zakończone pomyślnie!",
    "A51,Plik %s może być potrzebny innym aplikacjom. Chcesz go usunąć?",
    "A52,Plik %s może być potrzebny innym aplikacjom. Chcesz go usunąć?",
    "A53,Te pliki zostały utworzone po instalacji i nie zostały usunięte.",
    "A54,Usuwanie ustawień w rejestrze...",
    "A55,Usuwanie rekordów w pliku INI...",
    "A58,Czekaj...",
    "A80,Na pewno przerwać kasowanie?",
    "A81,Sprawdzanie uruchomionych aplikacji...",
};

std::string in_target(std::string_view target, std::string_view name) {
    std::string path(target);
    path += '\\';
    path += name;
    return path;
}

}  // namespace

std::string uninstaller_path(std::string_view target) {
    return in_target(target, kUninstallerFile);
}

std::string record_path(std::string_view target) {
    return in_target(target, kRecordFile);
}

std::string uninstall_key_path(std::string_view folder_name) {
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    key += folder_name;
    return key;
}

std::string uninstall_command(std::string_view target) {
    return '"' + uninstaller_path(target) + '"';
}

std::string folder_record_line(std::string_view folder) {
    std::string line = "U0,";
    line += folder;
    line += ",0";
    return line;
}

std::string file_record_line(std::string_view file) {
    std::string line = "P0,";
    line += file;
    line += ",0";
    return line;
}

std::vector<std::string> uninstall_record_lines(std::string_view target, std::string_view title,
                                                std::string_view folder_name,
                                                const std::vector<std::string>& registry_lines,
                                                const std::vector<std::string>& shortcut_lines) {
    const std::string key = uninstall_key_path(folder_name);
    constexpr int kLocalMachine = 2;
    std::vector<std::string> lines;
    lines.push_back(folder_record_line(target));
    lines.push_back("A10," + std::string(title));
    lines.push_back(registry_record_line(kLocalMachine, key, ""));
    lines.push_back(registry_record_line(kLocalMachine, key, "DisplayName"));
    lines.push_back(registry_record_line(kLocalMachine, key, "UninstallString"));
    lines.insert(lines.end(), registry_lines.begin(), registry_lines.end());
    lines.push_back(file_record_line(uninstaller_path(target)));
    lines.insert(lines.end(), shortcut_lines.begin(), shortcut_lines.end());
    for (std::string_view text : kFixedTexts) lines.emplace_back(text);
    return lines;
}

std::string record_text(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace setup
