#pragma once
// The nineteen text lines every record ends with, as the installer writes them (CP1250).

inline constexpr const char* kFixedTexts[] = {
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
