#include "install/undo_ledger.h"

#include <set>

#include "paths/paths.h"

namespace setup {
namespace {

// Windows compares names without regard to letter case; a folder spelt two ways is one.
bool first_sighting(std::set<std::string>& seen, const std::string& path) {
    return seen.insert(paths::path_key(path)).second;
}

using takeback::Action;

takeback::Step file_step(Action action, const std::string& path) {
    return {action, path, {}, {}};
}

}  // namespace

void note_extraction(UndoLedger& ledger, const std::string& target,
                     const std::vector<ArchivedPath>& paths, const PathKindOf& kind_of,
                     const std::function<void()>& between) {
    std::set<std::string> seen_folders;
    std::set<std::string> missing_folders;  // folded
    size_t noted = 0;
    for (const ArchivedPath& entry : paths) {
        if (between && ++noted % kNotedBetween == 0) between();
        // The folders on the way, then the entry itself.
        bool parent_missing = false;
        for (size_t end = entry.relative.find('\\'); end != std::string::npos;
             end = entry.relative.find('\\', end + 1)) {
            const std::string folder = target + "\\" + entry.relative.substr(0, end);
            if (!first_sighting(seen_folders, folder)) {
                parent_missing = missing_folders.count(paths::path_key(folder)) != 0;
                continue;
            }
            if (parent_missing || kind_of(folder) == PathKind::missing) {
                parent_missing = true;
                missing_folders.insert(paths::path_key(folder));
                ledger.folders_made.push_back(folder);
            }
        }
        const std::string path = target + "\\" + entry.relative;
        if (entry.folder) {
            if (!first_sighting(seen_folders, path)) continue;
            if (parent_missing || kind_of(path) == PathKind::missing) {
                missing_folders.insert(paths::path_key(path));
                ledger.folders_made.push_back(path);
            }
        } else if (parent_missing || kind_of(path) == PathKind::missing) {
            ledger.files_made.push_back(path);
        } else {
            ledger.files_replaced.push_back(path);
        }
    }
}

void note_folder_levels(UndoLedger& ledger, const std::string& folder, const PathKindOf& kind_of) {
    // From the folder up to the first level that is there, then noted top-down. A drive root
    // or a share is no level: nothing makes it.
    const std::vector<std::string> levels = paths::folder_levels(folder);
    auto first_missing = levels.end();
    while (first_missing != levels.begin() && kind_of(*(first_missing - 1)) == PathKind::missing)
        --first_missing;
    ledger.folders_made.insert(ledger.folders_made.end(), first_missing, levels.end());
}

void note_file(UndoLedger& ledger, const std::string& file, const PathKindOf& kind_of) {
    if (kind_of(file) == PathKind::missing) ledger.files_made.push_back(file);
}

std::vector<std::string> missing_key_levels(const std::string& key,
                                            const std::function<bool(const std::string&)>& exists) {
    // From the key up to the first level that exists, then turned top-down.
    std::vector<std::string> missing;
    for (std::string level = key; !level.empty() && !exists(level);) {
        missing.push_back(level);
        const size_t cut = level.rfind('\\');
        level = cut == std::string::npos ? std::string() : level.substr(0, cut);
    }
    return {missing.rbegin(), missing.rend()};
}

std::string undo_step_text(const takeback::Step& step) {
    const auto line = [&step] {
        return registry_record_line(step.registry.root, "\\" + step.registry.key,
                                    step.registry.value, step.registry.view);
    };
    switch (step.action) {
        case Action::restore_value:
            return "przywrócenie wartości " + line();
        case Action::delete_value:
            return "usunięcie wartości " + line();
        case Action::delete_key:
            return "usunięcie klucza " + line();
        case Action::delete_file:
            return "usunięcie pliku " + step.path;
        case Action::remove_folder:
            break;
    }
    return "usunięcie folderu " + step.path;
}

std::vector<takeback::Step> undo_steps(const UndoLedger& ledger) {
    std::vector<takeback::Step> steps;
    for (auto it = ledger.values_written.rbegin(); it != ledger.values_written.rend(); ++it) {
        steps.push_back({it->previous ? Action::restore_value : Action::delete_value,
                         "",
                         {it->key.root, it->key.path, it->name, it->key.view},
                         it->previous.value_or(PreviousValue{})});
    }
    for (auto it = ledger.keys_made.rbegin(); it != ledger.keys_made.rend(); ++it)
        steps.push_back({Action::delete_key, "", {it->root, it->path, "", it->view}, {}});
    for (auto it = ledger.files_made.rbegin(); it != ledger.files_made.rend(); ++it)
        steps.push_back(file_step(Action::delete_file, *it));
    for (auto it = ledger.folders_made.rbegin(); it != ledger.folders_made.rend(); ++it)
        steps.push_back(file_step(Action::remove_folder, *it));
    return steps;
}

}  // namespace setup
