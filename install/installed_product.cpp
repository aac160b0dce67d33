#include "install/installed_product.h"

#include <algorithm>
#include <vector>

#include "paths/paths.h"
#include "record/uninstall_record.h"

namespace setup {
namespace {

std::vector<unsigned long long> numbers_of(std::string_view version) {
    std::vector<unsigned long long> numbers(1, 0);
    for (const char c : version) {
        if (c == '.')
            numbers.push_back(0);
        else if (c >= '0' && c <= '9')
            numbers.back() = numbers.back() * 10 + static_cast<unsigned>(c - '0');
    }
    return numbers;
}

}  // namespace

std::optional<std::string> installed_folder(const UninstallEntryFound& entry) {
    if (!entry.install_location.empty())
        return std::string(paths::without_trailing_separators(entry.install_location));
    std::string_view command = entry.uninstall_string;
    if (command.starts_with('"')) {
        const size_t end = command.find('"', 1);
        command = command.substr(1, end == std::string_view::npos ? end : end - 1);
    }
    const size_t slash = command.rfind('\\');
    if (slash == std::string_view::npos || slash == 0) return std::nullopt;
    return std::string(paths::without_trailing_separators(command.substr(0, slash)));
}

std::string installed_group(std::string_view record_text, std::string_view programs_folder) {
    for (const std::string& line : list_lines(record_text)) {
        if (line[0] != kFolderLine || !line.ends_with(kPathLineEnd)) continue;
        const std::string folder = line.substr(3, line.size() - 3 - kPathLineEnd.size());
        if (!paths::is_within(folder, programs_folder) ||
            paths::same_path(folder, programs_folder) || !paths::path_flaw(folder).empty())
            continue;
        const size_t base = paths::normalize_path(programs_folder).size();
        std::string group = paths::normalize_path(folder).substr(base);
        while (!group.empty() && group.front() == '\\') group.erase(0, 1);
        return group;
    }
    return "";
}

int compare_versions(std::string_view a, std::string_view b) {
    std::vector<unsigned long long> x = numbers_of(a), y = numbers_of(b);
    x.resize(std::max(x.size(), y.size()), 0);
    y.resize(x.size(), 0);
    return x < y ? -1 : x > y ? 1 : 0;
}

UpdateDecision decide_update(const std::optional<InstalledProduct>& installed,
                             std::string_view version, bool force) {
    if (!installed) return {};
    const bool both = !installed->version.empty() && !version.empty();
    const int order = both ? compare_versions(installed->version, version) : 0;
    if (order > 0 && !force)
        return {true, "Zainstalowana jest nowsza wersja " + installed->version +
                          "; instalacja wersji " + std::string(version) + " nie jest możliwa."};
    if (order < 0)
        return {false, "Zainstalowana wersja " + installed->version +
                           " zostanie zaktualizowana do wersji " + std::string(version) + "."};
    return {false, "Zainstalowany program zostanie zaktualizowany."};
}

}  // namespace setup
