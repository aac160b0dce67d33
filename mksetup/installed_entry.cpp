#include "mksetup/installed_entry.h"

#include "install/uninstall_entry.h"
#include "record/uninstall_record.h"
#include "script_check/code_page_1250.h"

namespace mksetup {

namespace {

constexpr const char* kInstallDate = "<the day of the installation, yyyymmdd>";

}  // namespace

std::vector<std::string> installed_entry_lines(const setup::ProductSettings& product,
                                               const setup::InstallPlan& plan,
                                               std::optional<uint64_t> unpacked_bytes) {
    const bool x64 = product.Architecture == setup::ProductArchitecture::x64;
    std::vector<std::string> lines;
    lines.push_back(x64 ? "mode: x64 (a 64-bit product: the 64-bit Program Files and registry "
                          "view; refused on 32-bit Windows)"
                        : "mode: x86 (a 32-bit product: on 64-bit Windows Program Files (x86) "
                          "and the 32-bit registry view)");
    // The target as the wizard proposes it; the user may pick another.
    const std::string target = std::string(x64 ? "<Program Files>" : "<Program Files (x86)>") +
                               "\\" + product.ProductFolderName;
    const auto utf8 = [](std::string_view cp1250) { return setup::cp1250_to_utf8(cp1250); };
    lines.push_back("target: " + utf8(target) +
                    " as proposed; the folder is picked at install time" +
                    (x64 ? "" : " (Program Files on 32-bit Windows)"));
    if (!product.CreateUninstaller) {
        lines.push_back("uninstall entry: none (4=0 in [I]: no uninstaller)");
        return lines;
    }
    lines.push_back("uninstall entry: HKLM\\" +
                    utf8(setup::uninstall_key_path(product.ProductFolderName)) +
                    (x64 ? " (64-bit view)" : " (32-bit view)"));
    // DisplayName and UninstallString as the installer writes them in every entry.
    lines.push_back("  DisplayName: " + utf8(product.ProductFolderName));
    lines.push_back("  UninstallString: " + utf8(setup::uninstall_command(target)));
    const setup::EntryFacts facts{target, kInstallDate, unpacked_bytes.value_or(0)};
    for (const setup::EntryValue& value : setup::uninstall_entry_values(product, plan, facts)) {
        std::string shown = value.number ? std::to_string(*value.number) : utf8(value.text);
        if (value.name == "EstimatedSize")
            shown = unpacked_bytes ? shown + " (KiB)" : "<KiB, from the archive's table>";
        if (value.number && value.name != "EstimatedSize") shown += " (DWORD)";
        lines.push_back("  " + value.name + ": " + shown);
    }
    if (!product.complete_entry())
        lines.push_back("  (no version or publisher, keys 6 and 7 in [I]: nothing more)");
    return lines;
}

}  // namespace mksetup
