#include "install/target_folder.h"

#include "paths/paths.h"

namespace setup {

std::string PolishUpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        unsigned char up = b;
        if (b >= 'a' && b <= 'z') {
            up = static_cast<unsigned char>(b - 'a' + 'A');
        } else {
            switch (b) {
                case 0xB9:
                    up = 0xA5;
                    break;  // ą
                case 0xE6:
                    up = 0xC6;
                    break;  // ć
                case 0xEA:
                    up = 0xCA;
                    break;  // ę
                case 0xB3:
                    up = 0xA3;
                    break;  // ł
                case 0xF1:
                    up = 0xD1;
                    break;  // ń
                case 0xF3:
                    up = 0xD3;
                    break;  // ó
                case 0x9C:
                    up = 0x8C;
                    break;  // ś
                case 0x9F:
                    up = 0x8F;
                    break;  // ź
                case 0xBF:
                    up = 0xAF;
                    break;  // ż
                default:
                    break;
            }
        }
        c = static_cast<char>(up);
    }
    return out;
}

std::string ExpandTargetFolder(std::string_view text, std::string_view target) {
    const size_t at = PolishUpperCase(text).find(kTargetFolderPlaceholder);
    if (at == std::string::npos) return std::string(text);
    std::string out(text.substr(0, at));
    out += target;
    out += text.substr(at + kTargetFolderPlaceholder.size());
    return out;
}

}  // namespace setup

namespace setup {

TargetFolderLevels target_folder_levels(
    std::string_view target, const std::function<PathKind(const std::string&)>& kind_of) {
    TargetFolderLevels result;
    for (std::string& level : paths::folder_levels(target)) {
        if (!result.missing.empty()) {
            result.missing.push_back(std::move(level));
            continue;
        }
        const PathKind kind = kind_of(level);
        if (kind == PathKind::link) {
            result.link = std::move(level);
            break;
        }
        if (kind == PathKind::missing) result.missing.push_back(std::move(level));
    }
    return result;
}

namespace {

std::optional<std::string> refusal(const std::string& target, const TargetFolderLevels& levels) {
    if (!levels.link) return std::nullopt;
    const std::string_view folder = paths::without_trailing_separators(target);
    if (*levels.link == folder) return "Folder docelowy jest dowiązaniem: " + target;
    return "Folder docelowy " + target + " prowadzi przez dowiązanie: " + *levels.link;
}

}  // namespace

std::string target_refusal(std::string_view target,
                           const std::vector<std::string>& protected_folders, size_t longest_name) {
    const std::string shown(target);
    const auto refused = [&shown](const std::string& why) {
        return "Nie można instalować w folderze " + shown + ": " + why + ".";
    };
    // A share is checked as a drive is: its path below "\\server\share" follows the same rules.
    std::string local(paths::without_trailing_separators(target));
    const bool network = local.size() > 2 && local[0] == '\\' && local[1] == '\\' &&
                         local[2] != '?' && local[2] != '.';
    if (network) {
        const size_t server = local.find('\\', 2);
        const size_t share = server == std::string::npos ? server : local.find('\\', server + 1);
        if (server == std::string::npos || server == 2 || share == server + 1)
            return refused("ścieżka sieciowa bez nazwy serwera lub udziału");
        if (share == std::string::npos) return refused("to jest cały udział sieciowy");
        local = "C:" + local.substr(share);
    }
    if (!network && paths::is_drive_root(local)) return refused("to jest cały dysk");
    if (const std::string flaw = paths::path_flaw(local); !flaw.empty()) return refused(flaw);
    for (const std::string& folder : protected_folders) {
        if (!folder.empty() && paths::is_within(folder, target))
            return refused(paths::same_path(folder, target)
                               ? "to jest folder systemu lub użytkownika"
                               : "zawiera folder systemu lub użytkownika " + folder);
    }
    if (paths::normalize_path(target).size() + 1 + longest_name > kLongestPath)
        return refused("ścieżka jest za długa na pliki programu (najdłuższa miałaby " +
                       std::to_string(paths::normalize_path(target).size() + 1 + longest_name) +
                       " znaków, system przyjmuje " + std::to_string(kLongestPath) + ")");
    return "";
}

std::string redirected_target_refusal(std::string_view target, std::string_view windows_folder) {
    if (windows_folder.empty()) return "";
    const std::string windows(paths::without_trailing_separators(windows_folder));
    for (const char* name : {"System32", "Sysnative"}) {
        const std::string folder = windows + "\\" + name;
        if (paths::is_within(target, folder))
            return "Nie można instalować w folderze " + std::string(target) +
                   ": system przekierowuje zapisy programów 32-bitowych w folderze " + windows +
                   "\\System32, więc program 64-bitowy nie znalazłby tam swoich plików.";
    }
    return "";
}

void prepare_target_folder(const std::string& target,
                           const std::function<PathKind(const std::string&)>& kind_of,
                           const std::function<void(const std::string&)>& make_folder) {
    const TargetFolderLevels before = target_folder_levels(target, kind_of);
    if (auto refused = refusal(target, before)) throw RuntimeError(*refused);
    if (before.missing.empty()) return;
    for (const std::string& level : before.missing) make_folder(level);
    if (auto refused = refusal(target, target_folder_levels(target, kind_of)))
        throw RuntimeError(*refused);
}

}  // namespace setup
