#include "uninstall/removal_plan.h"

#include <algorithm>
#include <set>

#include "paths/paths.h"
#include "record/uninstall_record.h"

namespace setup::uninstall {

namespace {

// The folder is one of the protected ones or holds one of them.
bool guards_protected(std::string_view folder, const std::vector<std::string>& protected_folders) {
    if (paths::is_drive_root(folder)) return true;
    for (const std::string& p : protected_folders)
        if (!p.empty() && paths::is_within(p, folder)) return true;
    return false;
}

bool is_shortcut(std::string_view path) {
    return path.size() > 4 &&
           paths::path_key(path.substr(path.size() - 4)) == paths::path_key(".lnk");
}

std::string join(const std::string& folder, const std::string& relative) {
    return paths::normalize_path(folder + "\\" + relative);
}

// Strictly below one of `folders`.
bool inside_any(std::string_view path, const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        if (!folder.empty() && paths::is_within(path, folder) && !paths::same_path(path, folder))
            return true;
    return false;
}

// The path in the target is a link found there or lies behind one: acting on it would act
// wherever the link leads.
bool behind_link(std::string_view path, const PlanInput& input) {
    for (const TreeEntry& entry : input.tree)
        if (entry.link && paths::is_within(path, join(input.target, entry.relative))) return true;
    return false;
}

// A file the installation made: in the target (not behind a link there), or a shortcut in
// the shortcut folders.
bool file_allowed(std::string_view file, const PlanInput& input) {
    if (!paths::is_canonical(file)) return false;
    if (paths::is_within(file, input.target)) return !behind_link(file, input);
    return is_shortcut(file) && inside_any(file, input.shortcut_folders);
}

// A folder a U line may name: inside the target (not behind a link there), or a Start-menu
// group inside a Programs folder.
bool folder_allowed(std::string_view folder, const PlanInput& input) {
    if (!paths::is_canonical(folder)) return false;
    if (paths::is_within(folder, input.target)) return !behind_link(folder, input);
    return inside_any(folder, input.programs_folders);
}

}  // namespace

std::optional<std::string> find_target(const Record& record, std::string_view record_folder) {
    for (const std::string& folder : record.folders)
        if (paths::same_path(folder, record_folder)) return folder;
    return std::nullopt;
}

std::string refusal(const Record& record, std::string_view record_folder,
                    const std::vector<std::string>& protected_folders) {
    const std::string tail = " Nic nie zostało usunięte.";
    const std::optional<std::string> target = find_target(record, record_folder);
    if (!target) {
        std::string message = "Plik uninstal.ini nie opisuje folderu ";
        message += paths::normalize_path(record_folder);
        return message + ", w którym leży." + tail;
    }
    if (paths::is_drive_root(*target)) {
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

namespace {

// What the plan has already named, folded: nothing is removed twice.
using Planned = std::set<std::string>;

// The record's P lines and the files found below the target, then its folders: the U lines
// and the folders found, bottom-up.
void plan_files(const Record& record, const PlanInput& input, Planned& planned, Plan& plan) {
    auto add_file = [&](const std::string& path, takeback::FileId file = {}) {
        if (planned.insert(paths::path_key(path)).second) {
            plan.steps.push_back({Action::delete_file, Phase::files, path, {}});
            plan.steps.back().file = file;
        }
    };

    // The installer records only its uninstaller and the shortcuts it made; a P line naming
    // anything else comes from a damaged or altered record.
    for (const std::string& file : record.files) {
        if (file_allowed(file, input))
            add_file(paths::normalize_path(file));
        else
            plan.notes.push_back("Plik " + file +
                                 " nie leży w folderze programu i nie jest jego skrótem: "
                                 "pozostaje.");
    }

    // With the installation's list, what it does not name was there before and stays.
    const InstalledList* listed = input.installed ? &*input.installed : nullptr;
    std::vector<const TreeEntry*> folders;
    for (const TreeEntry& entry : input.tree) {
        const std::string path = join(input.target, entry.relative);
        const std::string key = paths::path_key(path);
        if (entry.link)
            plan.kept.push_back(path);
        else if (entry.folder && listed && !listed->folders.contains(key))
            plan.before.push_back(path);
        else if (entry.folder)
            folders.push_back(&entry);
        else if (entry.write_time > input.record_time && !planned.contains(key))
            plan.kept.push_back(path);
        else if (listed && !listed->files.contains(key) && !planned.contains(key))
            plan.before.push_back(path);
        else
            add_file(path, entry.file);
    }

    for (const std::string& folder : record.folders) {
        if (paths::same_path(folder, input.target)) continue;
        if (listed && !listed->folders.contains(paths::path_key(folder))) {
            plan.before.push_back(folder);
            continue;
        }
        if (!folder_allowed(folder, input)) {
            plan.notes.push_back("Folder " + folder +
                                 " nie leży w folderze programu ani w menu Start: pozostaje.");
            continue;
        }
        if (guards_protected(folder, input.protected_folders)) {
            plan.notes.push_back("Folder " + folder +
                                 " jest folderem systemu lub użytkownika: pozostaje.");
            continue;
        }
        if (planned.insert(paths::path_key(folder)).second)
            plan.steps.push_back({Action::remove_folder, Phase::files, folder, {}});
    }
    // Bottom-up: a folder can go only after everything below it.
    std::stable_sort(folders.begin(), folders.end(), [](const TreeEntry* a, const TreeEntry* b) {
        return paths::depth_of(a->relative) > paths::depth_of(b->relative);
    });
    for (const TreeEntry* entry : folders)
        plan.steps.push_back(
            {Action::remove_folder, Phase::files, join(input.target, entry->relative), {}});
}

// Every J line's value, the digests, then the keys the record says the installation made and
// those its list names, each when empty.
void plan_registry(const Record& record, const InstalledList* listed, Plan& plan) {
    std::set<std::string> registry_seen;
    auto first_time = [&](const RegistryLine& line) {
        return registry_seen.insert(InstallationKeys::name_of(line) + "," + line.value).second;
    };
    // The uninstall key vouches for the record, so each value it names was written by the
    // installation, whatever key holds it; a key that was there before keeps its other values.
    const InstallationKeys installation_keys(record);
    std::vector<RegistryLine> keys;
    for (const RegistryLine& line : record.registry) {
        if (!first_time(line)) continue;
        // An empty value name stands both for a key the installation made and for a key's
        // default value that it wrote (a file type's name, say): the default value goes with
        // the values, a made key afterwards if nothing else is left in it.
        plan.steps.push_back({Action::delete_value, Phase::registry, "", line});
        if (line.value.empty() && installation_keys.made(line)) keys.push_back(line);
    }
    // The digests of the record and of the list are values no record line names.
    if (const std::optional<RegistryLine> product = product_key(record)) {
        std::vector<std::string_view> digests = {kRecordDigestValue};
        if (listed) digests.insert(digests.begin(), kInstalledListDigestValue);
        for (std::string_view name : digests) {
            const RegistryLine digest{product->root, product->key, std::string(name),
                                      product->view};
            if (first_time(digest))
                plan.steps.push_back({Action::delete_value, Phase::registry, "", digest});
        }
    }
    // The record lists a key before its values and a parent before its subkeys: keys go
    // after all values, the last recorded and the deepest first. The list adds the levels the
    // installation made above them. A root itself is never a key to remove.
    std::reverse(keys.begin(), keys.end());
    if (listed) {
        std::set<std::string> named;
        for (const RegistryLine& key : keys) named.insert(InstallationKeys::name_of(key));
        for (auto it = listed->keys.rbegin(); it != listed->keys.rend(); ++it)
            if (named.insert(InstallationKeys::name_of(*it)).second) keys.push_back(*it);
    }
    std::erase_if(keys, [](const RegistryLine& key) {
        return InstallationKeys::name_of(key).ends_with(',');
    });
    std::stable_sort(keys.begin(), keys.end(), [](const RegistryLine& a, const RegistryLine& b) {
        return paths::depth_of(a.key) > paths::depth_of(b.key);
    });
    for (const RegistryLine& key : keys)
        plan.steps.push_back({Action::delete_key, Phase::registry, "", key});
}

// The folders the list names that nothing above planned: the target, if the installation made
// it, and the levels it made above the target and the group; each when empty, the deepest
// first, never a drive root nor a folder of the system or the user.
void plan_made_levels(const PlanInput& input, Planned& planned, Plan& plan) {
    std::vector<std::string> levels;
    if (!input.installed->folders.contains(paths::path_key(input.target)))
        plan.before.push_back(input.target);
    for (const std::string& folder : input.installed->folder_paths) {
        if (paths::is_within(folder, input.target) && !paths::same_path(folder, input.target))
            continue;  // found in the tree, or gone already
        if (paths::is_drive_root(folder) || guards_protected(folder, input.protected_folders))
            continue;
        if (planned.insert(paths::path_key(folder)).second) levels.push_back(folder);
    }
    std::stable_sort(levels.begin(), levels.end(), [](const std::string& a, const std::string& b) {
        return paths::depth_of(a) > paths::depth_of(b);
    });
    for (const std::string& folder : levels)
        plan.steps.push_back({Action::remove_folder, Phase::finish, folder, {}});
}

}  // namespace

Plan make_plan(const Record& record, const PlanInput& input) {
    Plan plan;
    Planned planned = {paths::path_key(input.uninstaller), paths::path_key(input.record_path)};
    if (input.installed) planned.insert(paths::path_key(input.list_path));
    plan_files(record, input, planned, plan);
    plan_registry(record, input.installed ? &*input.installed : nullptr, plan);
    plan.steps.push_back({Action::delete_file, Phase::finish, input.uninstaller, {}});
    plan.steps.push_back({Action::delete_file, Phase::finish, input.record_path, {}});
    if (!input.installed) {
        plan.steps.push_back({Action::remove_folder, Phase::finish, input.target, {}});
        return plan;
    }
    plan.steps.push_back({Action::delete_file, Phase::finish, input.list_path, {}});
    plan_made_levels(input, planned, plan);
    return plan;
}

std::string InstallationKeys::name_of(const RegistryLine& key) {
    std::string_view path = key.key;
    while (path.ends_with('\\')) path.remove_suffix(1);
    return std::to_string(static_cast<int>(key.view)) + "," +
           std::to_string(static_cast<int>(key.root)) + "," + paths::fold_case(path);
}

InstallationKeys::InstallationKeys(const Record& record) {
    const std::vector<RegistryLine>& lines = record.registry;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].value.empty() && name_of(lines[i]) == name_of(lines[i + 1]))
            made_.insert(name_of(lines[i]));
    if (const std::optional<RegistryLine> product = product_key(record))
        made_.insert(name_of(*product));
}

bool InstallationKeys::made(const RegistryLine& key) const {
    return made_.contains(name_of(key));
}

InstalledList installed_list(const Record& list) {
    InstalledList installed;
    for (const std::string& file : list.files) installed.files.insert(paths::path_key(file));
    for (const std::string& folder : list.folders) {
        if (installed.folders.insert(paths::path_key(folder)).second)
            installed.folder_paths.push_back(folder);
    }
    for (const RegistryLine& line : list.registry)
        if (line.value.empty()) installed.keys.push_back(line);
    return installed;
}

std::string list_refusal(std::string_view list_path, std::string_view actual,
                         std::string_view stored) {
    if (stored.empty() || stored == actual) return "";
    std::string message = "Plik ";
    message += list_path;
    return message +
           " został zmieniony po instalacji: jego suma SHA-256 nie zgadza się z zapisaną w "
           "rejestrze. Nic nie zostało usunięte.";
}

std::string digest_refusal(const Record& record, std::string_view record_path,
                           std::string_view actual, std::string_view stored) {
    const std::string tail = " Nic nie zostało usunięte.";
    const std::optional<RegistryLine> product = product_key(record);
    std::string message;
    if (!product) {
        message = "Plik ";
        message += record_path;
        return message + " nie wskazuje klucza deinstalacji programu." + tail;
    }
    if (stored.empty()) {
        message = "Brak sumy kontrolnej pliku ";
        message += record_path;
        message += " w rejestrze (" + describe(*product) + "\\" + std::string(kRecordDigestValue) +
                   "): nie można sprawdzić, czy nikt go nie zmienił.";
        return message + tail;
    }
    if (actual.size() != 64 || stored != actual) {
        message = "Plik ";
        message += record_path;
        message +=
            " został zmieniony po instalacji: jego suma SHA-256 nie zgadza się z "
            "zapisaną w rejestrze.";
        return message + tail;
    }
    return "";
}

std::string describe(const RegistryLine& line) {
    std::string out = registry_root_name(line.root);
    out += "\\" + line.key;
    if (!line.value.empty()) out += "\\" + line.value;
    if (line.view == RegistryView::x64) out += " (widok 64-bitowy)";
    return out;
}

}  // namespace setup::uninstall
