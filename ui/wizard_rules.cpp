#include "ui/wizard_rules.h"

#include <array>
#include <charconv>
#include <utility>

namespace setup {

std::string target_folder_for(std::string_view current_folder, std::string_view product_folder) {
    std::string out(current_folder);
    if (out.empty() || out.back() != '\\') out += '\\';
    out += product_folder;
    return out;
}

std::string group_for(std::string_view picked, std::string_view product_folder) {
    std::string out(picked);
    out += '\\';
    out += product_folder;
    return out;
}

std::vector<std::string> summary_lines(std::string_view title, std::string_view target,
                                       std::string_view group, std::string_view note) {
    std::vector<std::string> lines = {
        std::string(title) + " zainstaluje się do katalogu:", std::string(target), "",
        std::string(title) + " utworzy się w Menu Start:", std::string(group)};
    if (!note.empty()) {
        lines.emplace_back();
        lines.emplace_back(note);
    }
    return lines;
}

std::string format_caption(std::string_view pattern, std::string_view title) {
    size_t at = pattern.find("%s");
    if (at == std::string_view::npos) return std::string(pattern);
    std::string out(pattern.substr(0, at));
    out += title;
    out += pattern.substr(at + 2);
    return out;
}

PicturePlacement place_header_picture(int page_width, int picture_width, int picture_height) {
    PicturePlacement p;
    p.left = page_width - picture_width;
    p.top = picture_height < 56 ? 28 - picture_height / 2 : 0;
    p.band_width = p.left + 1;
    return p;
}

int control_id(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, int>, 7> fixed = {
        {{"Welcome", 101},
         {"Path", 102},
         {"MenuStart", 103},
         {"Podsumowanie", 104},
         {"Progress", 105},
         {"Finish", 106},
         {"Anuluj", 110}}};
    for (const auto& [n, id] : fixed)
        if (n == name) return id;
    // Longer kinds first, so "DirectoryListBox" is not taken for "ListBox".
    static constexpr std::array<std::pair<std::string_view, int>, 13> kinds = {
        {{"DirectoryListBox", 1800},
         {"DriveComboBox", 1900},
         {"ProgressBar", 1600},
         {"GroupBox", 1500},
         {"Gradient", 1400},
         {"ListBox", 1700},
         {"Button", 1000},
         {"Label", 1100},
         {"Image", 1200},
         {"Panel", 1300},
         {"Edit", 2000},
         {"Memo", 2100},
         {"Form", 0}}};
    for (const auto& [kind, base] : kinds) {
        if (!name.starts_with(kind) || base == 0) continue;
        std::string_view digits = name.substr(kind.size());
        int n = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || n < 0 ||
            n > 99)
            return 0;
        return base + n;
    }
    return 0;
}

}  // namespace setup
