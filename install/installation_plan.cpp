#include "install/installation_plan.h"

#include <algorithm>
#include <set>

#include "install/shortcut_rules.h"
#include "install/target_folder.h"
#include "install/uninstall_entry.h"
#include "record/uninstall_record.h"

namespace setup {

namespace {

ShortcutStep shortcut(std::string program, const std::string& folder, std::string caption) {
    std::string link = shortcut_link_path(folder, caption);
    return {std::move(program), folder, std::move(caption), std::move(link)};
}

void add_entries(const std::vector<ShortcutEntry>& entries, const std::string& target,
                 const std::string& folder, std::vector<ShortcutStep>& out) {
    for (const ShortcutEntry& entry : entries)
        out.push_back(
            shortcut(target + "\\" + entry.ShortcutTarget, folder, entry.ShortcutCaption));
}

}  // namespace

InstallationSteps plan_installation(const InstallPlan& plan, const ProductSettings& product,
                                    const InstallationChoices& choices) {
    const std::string& target = choices.target;
    InstallationSteps steps;
    if (!plan.StartMenuEntries.empty()) {
        steps.group_folder = choices.programs_folder + "\\" + choices.group;
        // The uninstaller's link is made before the uninstaller itself is written.
        if (product.CreateUninstaller)
            steps.shortcuts.push_back(shortcut(uninstaller_path(target), *steps.group_folder,
                                               "Odinstaluj " + product.ProductFolderName));
        add_entries(plan.StartMenuEntries, target, *steps.group_folder, steps.shortcuts);
    }
    add_entries(plan.AutostartEntries, target, choices.programs_folder + "\\Autostart",
                steps.shortcuts);
    add_entries(plan.DesktopEntries, target, choices.desktop_folder, steps.shortcuts);

    RegistryRoot root = RegistryRoot::local_machine;
    for (const RegistryEntry& entry : plan.RegistryEntries) {
        root = select_root(entry.RegistryRootCode, root);
        std::string data = ExpandTargetFolder(entry.RegistryData, target);
        const ValueToWrite value = value_to_write(entry.RegistryTypeCode, data);
        steps.registry.push_back({root, entry.RegistryKeyPath, entry.RegistryValueName,
                                  std::move(data), value, product_view(product.Architecture)});
    }
    steps.write_uninstaller = product.CreateUninstaller;
    steps.programs = plan.RunAfterInstall;
    return steps;
}

std::vector<std::string> shortcut_record_lines(const InstallationSteps& steps) {
    std::vector<std::string> lines;
    if (steps.group_folder) lines.push_back(folder_record_line(*steps.group_folder));
    for (const ShortcutStep& step : steps.shortcuts)
        lines.push_back(file_record_line(step.link_path));
    return lines;
}

std::vector<std::string> registry_record_lines(const InstallationSteps& steps,
                                               const std::vector<bool>& key_was_new,
                                               const std::vector<std::string>& made_before) {
    std::vector<std::string> lines;
    std::set<std::string> carried;
    for (size_t i = 0; i < steps.registry.size(); ++i) {
        const RegistryStep& step = steps.registry[i];
        std::string key_line = registry_record_line(step.root, step.key_path, "", step.view);
        const bool earlier =
            std::find(made_before.begin(), made_before.end(), key_line) != made_before.end() &&
            carried.insert(key_line).second;
        if ((i < key_was_new.size() && key_was_new[i]) || earlier)
            lines.push_back(std::move(key_line));
        lines.push_back(registry_record_line(step.root, step.key_path, step.value_name, step.view));
    }
    return lines;
}

}  // namespace setup
