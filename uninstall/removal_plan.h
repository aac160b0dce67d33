#pragma once
// What the uninstaller removes, decided from the record and from what lies in the target
// folder, before anything is touched. The plan acts only inside what the installation made,
// whatever the record says:
//   - files: those in the target folder not newer than the record (which the installer writes
//     last), and of the P lines those in the target folder (not behind a link in it) and the
//     links (.lnk) inside the folders where the installer puts its shortcuts;
//   - folders: the target's, and of the U lines those inside the target or inside a Start-menu
//     Programs folder (the group), each only when empty;
//   - registry: the value of every J line (the uninstall key vouches for the record), and the
//     keys it made (InstallationKeys, and the installation's list), each key only when empty.
// Every other line is noted and left alone.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "takeback/step.h"
#include "uninstall/record.h"

namespace setup::uninstall {

using takeback::Action;
using takeback::TreeEntry;

// The U line naming the folder that holds the record, normalized; nullopt when none does.
std::optional<std::string> find_target(const Record& record, std::string_view record_folder);

// Why the record must not be acted on at all, or "" when it may. Refused: a record whose U
// lines do not name the folder it lies in, and a target that is a drive root or is one of
// the system's and user's own folders (`protected_folders`) or holds one of them.
std::string refusal(const Record& record, std::string_view record_folder,
                    const std::vector<std::string>& protected_folders);

enum class Phase { files, registry, finish };

// A step to take, and the part of the removal it belongs to (the window names the part).
struct Step : takeback::Step {
    Phase phase = Phase::files;

    Step() = default;
    Step(Action action, Phase phase, std::string path, RegistryLine registry)
        : takeback::Step{action, std::move(path), std::move(registry), {}}, phase(phase) {}
};

struct Plan {
    // Files, then the registry (values before keys, deeper keys first), and last the
    // uninstaller, the record and the target folder itself.
    std::vector<Step> steps;
    std::vector<std::string> kept;  // files newer than the record, links: left in place
    // Files and folders below the target, and record folders, that the installation's list
    // does not name: they were there before it, and stay.
    std::vector<std::string> before;
    std::vector<std::string> notes;  // record lines that were sound but are not acted on
};

// What the installation's list ("uninstal.lst", vouched like the record) says it wrote.
struct InstalledList {
    std::set<std::string> files;            // path_key of each file
    std::set<std::string> folders;          // path_key of each folder
    std::vector<std::string> folder_paths;  // normalized, parents first
    std::vector<RegistryLine> keys;         // the keys it made, parents first
};
// The list's U and P lines, read as a record's (`list` is parse_record of its bytes).
InstalledList installed_list(const Record& list);

struct PlanInput {
    std::string target;       // as find_target gives it
    std::string uninstaller;  // the program that was started, in the target folder
    std::string record_path;
    std::uint64_t record_time = 0;
    // The installation's list, when it left one: then only what it names goes, below the
    // target and of the record's folders, and the folders it made above the target and the
    // group go too, when empty, after the target. Without one (an installation made before
    // there were lists), every file below the target not newer than the record goes.
    std::optional<InstalledList> installed;
    std::string list_path;
    std::vector<TreeEntry> tree;
    std::vector<std::string> protected_folders;
    // The Start-menu Programs folders, all users' and the user's: a group is a folder inside
    // one of them.
    std::vector<std::string> programs_folders;
    // Where the installer's links lie outside the target: the Programs folders (Autostart is
    // one inside them), the Startup folders and the desktops, all users' and the user's.
    std::vector<std::string> shortcut_folders;
};

Plan make_plan(const Record& record, const PlanInput& input);

// The registry keys a record says the installation made: the product's uninstall key, and
// each key whose line (an empty value name) the installer wrote just before the line of the
// entry that made it, which names the same key. A lone empty-name line is the default value
// written into a key that was there before: it makes no key of its own.
class InstallationKeys {
  public:
    explicit InstallationKeys(const Record& record);
    bool made(const RegistryLine& key) const;
    // "<root>,<key>" with letters folded and trailing separators dropped: "<root>," for a root.
    static std::string name_of(const RegistryLine& key);

  private:
    std::set<std::string> made_;
};

// Why the record's bytes must not be acted on, or "" when the uninstall key vouches for them.
// `actual` is the hexadecimal SHA-256 of the bytes read, `stored` the product key's value
// kRecordDigestValue ("" when it is missing). A missing value refuses the record too: every
// installation writes it, so a record without one was not made by an installation.
std::string digest_refusal(const Record& record, std::string_view record_path,
                           std::string_view actual, std::string_view stored);

// Why the list's bytes must not be acted on, or "" when the uninstall key vouches for them (as
// digest_refusal, for the list at `list_path`); "" too when no digest is stored (an
// installation made before there were lists).
std::string list_refusal(std::string_view list_path, std::string_view actual,
                         std::string_view stored);

// "HKEY_LOCAL_MACHINE\key" or "HKEY_LOCAL_MACHINE\key\value", for messages.
std::string describe(const RegistryLine& line);

}  // namespace setup::uninstall
