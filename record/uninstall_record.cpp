#include "record/uninstall_record.h"

#include <set>

#include "record/registry_root.h"

namespace setup {
namespace {

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

std::string installed_list_path(std::string_view target) {
    return in_target(target, kInstalledListFile);
}

std::vector<std::string> installed_list_lines(const std::vector<std::string>& earlier,
                                              const WrittenThings& written) {
    std::vector<std::string> lines;
    std::set<std::string> seen;
    auto add = [&](std::string line) {
        if (seen.insert(line).second) lines.push_back(std::move(line));
    };
    for (const std::string& line : earlier) add(line);
    for (const std::string& folder : written.folders) add(folder_record_line(folder));
    for (const std::string& file : written.files) add(file_record_line(file));
    for (const std::string& key : written.keys) add(key);
    return lines;
}

std::vector<std::string> list_lines(std::string_view list_text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < list_text.size();) {
        const size_t end = list_text.find("\r\n", start);
        if (end == std::string_view::npos) break;
        const std::string_view line = list_text.substr(start, end - start);
        start = end + 2;
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos || comma < 2) continue;
        const std::string_view number = line.substr(1, comma - 1);
        if (((line[0] == kFolderLine || line[0] == kFileLine) && number == kLineNumber) ||
            (line[0] == kRegistryLine && registry_line_view(number)))
            lines.emplace_back(line);
    }
    return lines;
}

std::optional<RegistryView> registry_line_view(std::string_view number) {
    if (number == kLineNumber) return RegistryView::program;
    if (number == "64") return RegistryView::x64;
    return std::nullopt;
}

std::string uninstall_key_path(std::string_view folder_name) {
    std::string key(kUninstallKeysParent);
    key += folder_name;
    return key;
}

std::string uninstall_command(std::string_view target) {
    return '"' + uninstaller_path(target) + '"';
}

namespace {

std::string path_line(char code, std::string_view path) {
    std::string line(1, code);
    line += kLineNumber;
    line += ',';
    line += path;
    line += kPathLineEnd;
    return line;
}

std::string text_line(int number, std::string_view text) {
    // Appended piece by piece: GCC 12 wrongly warns (-Wrestrict) about "A" + std::string
    // when it inlines it for x86-64.
    std::string line(1, kTextLine);
    line += std::to_string(number);
    line += ',';
    line += text;
    return line;
}

}  // namespace

std::string folder_record_line(std::string_view folder) {
    return path_line(kFolderLine, folder);
}

std::string file_record_line(std::string_view file) {
    return path_line(kFileLine, file);
}

std::vector<std::string> uninstall_record_lines(std::string_view target, std::string_view title,
                                                std::string_view folder_name,
                                                const std::vector<std::string>& registry_lines,
                                                const std::vector<std::string>& shortcut_lines,
                                                const UninstallKeyLines& key_lines) {
    const std::string key = uninstall_key_path(folder_name);
    constexpr RegistryRoot kLocalMachine = RegistryRoot::local_machine;
    const RegistryView view = key_lines.view;
    std::vector<std::string> lines;
    lines.push_back(folder_record_line(target));
    lines.push_back(text_line(kTitleText, title));
    lines.push_back(registry_record_line(kLocalMachine, key, "", view));
    lines.push_back(registry_record_line(kLocalMachine, key, "DisplayName", view));
    lines.push_back(registry_record_line(kLocalMachine, key, "UninstallString", view));
    for (const std::string& name : key_lines.more_values)
        lines.push_back(registry_record_line(kLocalMachine, key, name, view));
    lines.insert(lines.end(), registry_lines.begin(), registry_lines.end());
    lines.push_back(file_record_line(uninstaller_path(target)));
    lines.insert(lines.end(), shortcut_lines.begin(), shortcut_lines.end());
    const std::vector<std::string> texts = uninstaller_text_lines();
    lines.insert(lines.end(), texts.begin(), texts.end());
    return lines;
}

std::vector<std::string> uninstaller_text_lines() {
    std::vector<std::string> lines;
    for (const UninstallerText& t : kUninstallerTexts) lines.push_back(text_line(t.number, t.text));
    return lines;
}

std::vector<std::string> made_key_lines(std::string_view record_text) {
    std::vector<std::string> lines;
    std::string_view pending;  // an empty-name line waiting for its key's next line
    for (size_t start = 0; start < record_text.size();) {
        size_t end = record_text.find("\r\n", start);
        if (end == std::string_view::npos) break;  // a cut last line counts for nothing
        const std::string_view line = record_text.substr(start, end - start);
        start = end + 2;
        // A line's key runs to its last comma (fields are not quoted).
        if (!pending.empty() && line.substr(0, line.rfind(',') + 1) == pending && line != pending)
            lines.emplace_back(pending);
        pending = line.size() > 3 && line[0] == kRegistryLine && line.ends_with(',')
                      ? line
                      : std::string_view();
    }
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

const char* registry_root_name(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::classes_root:
            return "HKEY_CLASSES_ROOT";
        case RegistryRoot::current_user:
            return "HKEY_CURRENT_USER";
        case RegistryRoot::users:
            return "HKEY_USERS";
        case RegistryRoot::current_config:
            return "HKEY_CURRENT_CONFIG";
        case RegistryRoot::local_machine:
            break;
    }
    return "HKEY_LOCAL_MACHINE";
}

std::string registry_record_line(RegistryRoot root, std::string_view key_path,
                                 std::string_view value_name, RegistryView view) {
    std::string line(1, kRegistryLine);
    line += std::to_string(static_cast<int>(view));
    line += "," + std::to_string(static_cast<int>(root)) + ",";
    line += key_path;
    line += ',';
    line += value_name;
    return line;
}

}  // namespace setup
