#include "uninstall/record.h"

#include "paths/paths.h"
#include "record/uninstall_record.h"

namespace setup::uninstall {

namespace {

bool is_digits(std::string_view s) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int to_int(std::string_view digits) {
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    return n;
}

bool has_control(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20) return true;
    return false;
}

bool known_root(int n) {
    return n == 0 || n == 1 || n == 2 || n == 3 || n == 5;
}

// Why the line cannot be used, or "" when it was taken into the record.
std::string read_line(std::string_view line, Record& record) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos || comma < 2) return "brak kodu wiersza";
    const char code = line[0];
    const std::string_view number = line.substr(1, comma - 1);
    const std::string_view rest = line.substr(comma + 1);
    if (!is_digits(number)) return "błędny numer";

    if (code == kTextLine) {
        if (rest.empty()) return "pusty tekst";
        if (line.find('\0') != std::string_view::npos) return "niedozwolone znaki";
        record.texts[to_int(number)] = std::string(rest);
        return "";
    }
    if (code != kFolderLine && code != kFileLine && code != kRegistryLine)
        return "nieznany kod wiersza";
    const std::optional<RegistryView> view = registry_line_view(number);
    if (code == kRegistryLine ? !view : number != kLineNumber) return "błędny numer";
    if (has_control(rest)) return "niedozwolone znaki";

    if (code == kRegistryLine) {
        const size_t root_end = rest.find(',');
        const size_t last = rest.rfind(',');
        if (root_end == std::string_view::npos || last == root_end) return "brak pól";
        const std::string_view root = rest.substr(0, root_end);
        std::string_view key = rest.substr(root_end + 1, last - root_end - 1);
        if (!is_digits(root) || !known_root(to_int(root))) return "nieznany klucz główny";
        // The installer opens a key relative to its root without one leading backslash; the
        // record keeps the key as the setup script wrote it.
        if (key.starts_with('\\')) key.remove_prefix(1);
        if (key.empty() || key.front() == '\\') return "pusty klucz";
        record.registry.push_back({static_cast<RegistryRoot>(to_int(root)), std::string(key),
                                   std::string(rest.substr(last + 1)), *view});
        return "";
    }
    // U and P: the path, then the closing field 0, which a truncated line lacks.
    if (!rest.ends_with(kPathLineEnd)) return "brak pola końcowego";
    const std::string_view path = rest.substr(0, rest.size() - kPathLineEnd.size());
    if (path.empty()) return "pusta ścieżka";
    if (std::string flaw = paths::path_flaw(path); !flaw.empty()) return flaw;
    (code == kFolderLine ? record.folders : record.files).push_back(paths::normalize_path(path));
    return "";
}

}  // namespace

Record parse_record(std::string_view bytes) {
    Record record;
    size_t start = 0;
    int number = 0;
    while (start < bytes.size()) {
        ++number;
        const size_t end = bytes.find('\n', start);
        const bool complete = end != std::string_view::npos;
        std::string_view line = bytes.substr(start, complete ? end - start : bytes.size() - start);
        start = complete ? end + 1 : bytes.size();
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;

        std::string why;
        if (!complete)
            why = "niepełny ostatni wiersz";
        else if (line.size() > kMaxRecordLine)
            why = "za długi wiersz";
        else
            why = read_line(line, record);
        if (!why.empty())
            record.notes.push_back(std::string("Pominięto wiersz ") + std::to_string(number) +
                                   " pliku uninstal.ini: " + why + ".");
    }
    return record;
}

std::optional<RegistryLine> product_key(const Record& record) {
    if (record.registry.empty()) return std::nullopt;
    const RegistryLine& first = record.registry.front();
    const std::string parent = paths::fold_case(kUninstallKeysParent);
    const std::string key = paths::fold_case(first.key);
    // A name below the parent, not the parent itself nor an empty name.
    if (first.root != RegistryRoot::local_machine || !first.value.empty() ||
        !key.starts_with(parent) || key.size() == parent.size() || key[parent.size()] == '\\')
        return std::nullopt;
    return first;
}

}  // namespace setup::uninstall
