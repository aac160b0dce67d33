#include "removal_plan.h"

#include <algorithm>
#include <set>

#include "paths.h"

namespace setup::uninstall {

namespace {

// The folder is one of the protected ones or holds one of them.
bool guards_protected(std::string_view folder, const std::vector<std::string>& protected_folders) {
    if (is_drive_root(folder)) return true;
    for (const std::string& p : protected_folders)
        if (!p.empty() && is_within(p, folder)) return true;
    return false;
}

bool is_shortcut(std::string_view path) {
    return path.size() > 4 && path_key(path.substr(path.size() - 4)) == ".lnk";
}

std::string join(const std::string& folder, const std::string& relative) {
    return normalize_path(folder + "\\" + relative);
}

}  // namespace

std::optional<std::string> find_target(const Record& record, std::string_view record_folder) {
    for (const std::string& folder : record.folders)
        if (same_path(folder, record_folder)) return folder;
    return std::nullopt;
}

std::string refusal(const Record& record, std::string_view record_folder,
                    const std::vector<std::string>& protected_folders) {
    const std::string tail = " Nic nie zostało usunięte.";
    const std::optional<std::string> target = find_target(record, record_folder);
    if (!target) {
        std::string message = "Plik uninstal.ini nie opisuje folderu ";
        message += normalize_path(record_folder);
        return message + ", w którym leży." + tail;
    }
    if (is_drive_root(*target)) {
        std::string message = "Folder ";
        message += *target;
        return message + " jest katalogiem głównym dysku." + tail;
    }
    if (guards_protected(*target, protected_folders)) {
        std::string message = "Folder ";
        message += *target;
        return message + " jest folderem systemu lub użytkownika albo go zawiera." + tail;
    }
    return "";
}

Plan make_plan(const Record& record, const PlanInput& input) {
    Plan plan;
    std::set<std::string> planned = {path_key(input.uninstaller), path_key(input.record_path)};
    auto add_file = [&](const std::string& path) {
        if (planned.insert(path_key(path)).second)
            plan.steps.push_back({Action::delete_file, Phase::files, path, {}});
    };

    // The installer records only its uninstaller and the shortcuts it made; a P line naming
    // anything else comes from a damaged record.
    for (const std::string& file : record.files) {
        if (is_within(file, input.target) || is_shortcut(file))
            add_file(normalize_path(file));
        else
            plan.notes.push_back("Plik " + file +
                                 " nie leży w folderze programu i nie jest skrótem: pozostaje.");
    }

    std::vector<const TreeEntry*> folders;
    for (const TreeEntry& entry : input.tree) {
        const std::string path = join(input.target, entry.relative);
        if (entry.link)
            plan.kept.push_back(path);
        else if (entry.folder)
            folders.push_back(&entry);
        else if (entry.write_time > input.record_time && !planned.contains(path_key(path)))
            plan.kept.push_back(path);
        else
            add_file(path);
    }

    for (const std::string& folder : record.folders) {
        if (same_path(folder, input.target)) continue;
        if (guards_protected(folder, input.protected_folders)) {
            plan.notes.push_back("Folder " + folder +
                                 " jest folderem systemu lub użytkownika: pozostaje.");
            continue;
        }
        if (planned.insert(path_key(folder)).second)
            plan.steps.push_back({Action::remove_folder, Phase::files, folder, {}});
    }
    // Bottom-up: a folder can go only after everything below it.
    std::stable_sort(folders.begin(), folders.end(), [](const TreeEntry* a, const TreeEntry* b) {
        return depth_of(a->relative) > depth_of(b->relative);
    });
    for (const TreeEntry* entry : folders)
        plan.steps.push_back(
            {Action::remove_folder, Phase::files, join(input.target, entry->relative), {}});

    std::set<std::string> registry_seen;
    auto first_time = [&](const RegistryLine& line) {
        return registry_seen
            .insert(std::to_string(static_cast<int>(line.root)) + "," + path_key(line.key) + "," +
                    line.value)
            .second;
    };
    std::vector<RegistryLine> keys;
    for (const RegistryLine& line : record.registry) {
        if (!first_time(line)) continue;
        // An empty value name stands both for a key the installation made and for a key's
        // default value that it wrote (a file type's name, say): the default value goes with
        // the values, the key afterwards if nothing else is left in it.
        plan.steps.push_back({Action::delete_value, Phase::registry, "", line});
        if (line.value.empty()) keys.push_back(line);
    }
    // The record lists a key before its values and a parent before its subkeys: keys go
    // after all values, the last recorded and the deepest first.
    std::reverse(keys.begin(), keys.end());
    std::stable_sort(keys.begin(), keys.end(), [](const RegistryLine& a, const RegistryLine& b) {
        return depth_of(a.key) > depth_of(b.key);
    });
    for (const RegistryLine& key : keys)
        plan.steps.push_back({Action::delete_key, Phase::registry, "", key});

    plan.steps.push_back({Action::delete_file, Phase::finish, input.uninstaller, {}});
    plan.steps.push_back({Action::delete_file, Phase::finish, input.record_path, {}});
    plan.steps.push_back({Action::remove_folder, Phase::finish, input.target, {}});
    return plan;
}

std::string describe(const RegistryLine& line) {
    static const char* const names[] = {
        "HKEY_CLASSES_ROOT",  "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS", "",
        "HKEY_CURRENT_CONFIG"};
    std::string out = names[static_cast<int>(line.root)];
    out += "\\" + line.key;
    if (!line.value.empty()) out += "\\" + line.value;
    return out;
}

}  // namespace setup::uninstall
