#pragma once
// What the installation does once the archive is unpacked, worked out before any of it is
// done: the links to make, the registry values to write, whether the uninstaller is written,
// the programs to start; and the uninstall record's lines for them. The Windows layer applies
// the steps in their order and reports what only the system can tell (which keys it made).
#include <optional>
#include <string>
#include <vector>

#include "install/registry_rules.h"
#include "script/setup_script.h"

namespace setup {

// What the start-up found and the user chose that the steps depend on.
struct InstallationChoices {
    std::string target;           // the target folder, as the user left it
    std::string group;            // the Start-menu group's name
    std::string programs_folder;  // the Start menu's Programs folder
    std::string desktop_folder;
};

// One link: `program` started from its own folder, saved as link_path in `folder`, which is
// made with its missing levels first.
struct ShortcutStep {
    std::string program;
    std::string folder;
    std::string caption;
    std::string link_path;
    bool operator==(const ShortcutStep&) const = default;
};

// One registry entry: the value under `key_path` (as the script gives it, leading backslash
// included) of `root`, written as `value` says with the expanded `data`.
struct RegistryStep {
    RegistryRoot root = RegistryRoot::local_machine;
    std::string key_path;
    std::string value_name;
    std::string data;
    ValueToWrite value;
    RegistryView view = RegistryView::program;
};

struct InstallationSteps {
    // The Start-menu group, made only when the script has Start-menu entries.
    std::optional<std::string> group_folder;
    // In the order they are made: the uninstaller's link and the Start-menu entries (in the
    // group), the Autostart entries, the desktop entries.
    std::vector<ShortcutStep> shortcuts;
    std::vector<RegistryStep> registry;
    bool write_uninstaller = false;
    std::vector<std::string> programs;  // the script's entries, started from the target folder
};

InstallationSteps plan_installation(const InstallPlan& plan, const ProductSettings& product,
                                    const InstallationChoices& choices);

// The record's lines for the links: the group folder's, then one per link, in order. A link
// whose save failed is recorded all the same, as the file it would have been.
std::vector<std::string> shortcut_record_lines(const InstallationSteps& steps);

// The record's lines for the registry: per step, a key line when `key_was_new[i]` (its key did
// not exist before the step; an earlier step may have made it), then its value line, also
// for a type that writes nothing. `key_was_new` has one flag per step. A key line among
// `made_before` (an earlier installation's made_key_lines) is written too, once, before the
// first value line of its key.
std::vector<std::string> registry_record_lines(const InstallationSteps& steps,
                                               const std::vector<bool>& key_was_new,
                                               const std::vector<std::string>& made_before = {});

}  // namespace setup
