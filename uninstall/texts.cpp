#include "texts.h"

#include <map>

namespace setup::uninstall {

std::string text(const Record& record, int id) {
    if (auto found = record.texts.find(id); found != record.texts.end()) return found->second;
    static const std::map<int, std::string> fallback = {
        {kProductTitle, "program"},
        {kCannotCopy, "Nie można kopiować %s do %s"},
        {kRemovingFiles, "Usuwanie plików..."},
        {kReallyRemove, "Na pewno usunąć %s?"},
        {kRemoveButton, "Usuń"},
        {kCloseButton, "Zamknij"},
        {kRemovedAtRestart, "%s zostanie usunięty po zrestartowaniu komputera."},
        {kCannotStart, "Nie można uruchomić procesu %s."},
        {kFinished, "Usuwanie zakończone pomyślnie!"},
        {kKeptFiles, "Te pliki zostały utworzone po instalacji i nie zostały usunięte."},
        {kRemovingRegistry, "Usuwanie ustawień w rejestrze..."},
        {kWait, "Czekaj..."},
        {kReallyStop, "Na pewno przerwać kasowanie?"},
        {kCheckingPrograms, "Sprawdzanie uruchomionych aplikacji..."},
    };
    auto found = fallback.find(id);
    return found == fallback.end() ? std::string() : found->second;
}

std::string format_text(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            if (next != args.end()) out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace setup::uninstall
