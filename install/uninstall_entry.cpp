#include "install/uninstall_entry.h"

#include <algorithm>
#include <cstdio>

#include "paths/paths.h"
#include "record/uninstall_record.h"

namespace setup {
namespace {

// The first Start-menu entry that names a program: its icon is the product's.
std::string display_icon(const InstallPlan& plan, const std::string& target) {
    for (const ShortcutEntry& entry : plan.StartMenuEntries) {
        const std::string name = paths::fold_case(entry.ShortcutTarget);
        if (name.size() > 4 && name.ends_with(".EXE")) return target + "\\" + entry.ShortcutTarget;
    }
    return uninstaller_path(target);
}

}  // namespace

std::vector<EntryValue> uninstall_entry_values(const ProductSettings& product,
                                               const InstallPlan& plan, const EntryFacts& facts) {
    std::vector<EntryValue> values;
    if (!product.complete_entry()) return values;
    const auto text = [&values](std::string name, std::string value) {
        values.push_back({std::move(name), std::move(value), std::nullopt});
    };
    if (!product.ProductVersion.empty()) text("DisplayVersion", product.ProductVersion);
    if (!product.Publisher.empty()) text("Publisher", product.Publisher);
    if (!product.WebAddress.empty()) text("URLInfoAbout", product.WebAddress);
    text("InstallLocation", facts.target);
    text("InstallDate", facts.install_date);
    const uint64_t kib = facts.unpacked_bytes / 1024 + (facts.unpacked_bytes % 1024 != 0);
    values.push_back(
        {"EstimatedSize", "", static_cast<uint32_t>(std::min<uint64_t>(kib, UINT32_MAX))});
    text("DisplayIcon", display_icon(plan, facts.target));
    text("QuietUninstallString", uninstall_command(facts.target) + " /S");
    values.push_back({"NoModify", "", 1u});
    values.push_back({"NoRepair", "", 1u});
    return values;
}

std::vector<std::string> entry_value_names(const std::vector<EntryValue>& values) {
    std::vector<std::string> names;
    for (const EntryValue& value : values) names.push_back(value.name);
    return names;
}

std::string install_date_text(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

RegistryView product_view(ProductArchitecture architecture) {
    return architecture == ProductArchitecture::x64 ? RegistryView::x64 : RegistryView::program;
}

}  // namespace setup
