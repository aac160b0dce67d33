#pragma once
// What the uninstaller removes, decided from the record and from what lies in the target
// folder, before anything is touched. The plan names only what a sound record line names:
// the files of P lines (those in the target folder and shortcuts, the only files the installer
// records), the folders of U lines (removed only when empty), the registry values
// and keys of J lines, and inside the target folder the files that are not newer than the
// record, which the installer writes last.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record.h"

namespace setup::uninstall {

// One thing found below the target folder.
struct TreeEntry {
    std::string relative;  // below the target, "\"-separated
    bool folder = false;
    bool link = false;             // a reparse point: never entered, never removed
    std::uint64_t write_time = 0;  // in the system's file-time units
};

// The U line naming the folder that holds the record, normalized; nullopt when none does.
std::optional<std::string> find_target(const Record& record, std::string_view record_folder);

// Why the record must not be acted on at all, or "" when it may. Refused: a record whose U
// lines do not name the folder it lies in, and a target that is a drive root or is one of
// the system's and user's own folders (`protected_folders`) or holds one of them.
std::string refusal(const Record& record, std::string_view record_folder,
                    const std::vector<std::string>& protected_folders);

enum class Action { delete_file, remove_folder, delete_value, delete_key };
enum class Phase { files, registry, finish };

struct Step {
    Action action;
    Phase phase;
    std::string path;       // files and folders
    RegistryLine registry;  // values and keys
};

struct Plan {
    // Files, then the registry (values before keys, deeper keys first), and last the
    // uninstaller, the record and the target folder itself.
    std::vector<Step> steps;
    std::vector<std::string> kept;   // files newer than the record, links: left in place
    std::vector<std::string> notes;  // record lines that were sound but are not acted on
};

struct PlanInput {
    std::string target;       // as find_target gives it
    std::string uninstaller;  // the program that was started, in the target folder
    std::string record_path;
    std::uint64_t record_time = 0;
    std::vector<TreeEntry> tree;
    std::vector<std::string> protected_folders;
};

Plan make_plan(const Record& record, const PlanInput& input);

// "HKEY_LOCAL_MACHINE\key" or "HKEY_LOCAL_MACHINE\key\value", for messages.
std::string describe(const RegistryLine& line);

}  // namespace setup::uninstall
