#include "uninstall_record_writer.h"

#include <windows.h>

#include "files.h"
#include "globals.h"
#include "registry_writer.h"
#include "uninstall_record.h"

namespace setup {

void WriteUninstallRecord(const std::string& target, const std::vector<std::string>& registry_lines,
                          const std::vector<std::string>& shortcut_lines) {
    platform::SaveResourceToFile(GetModuleHandleA(nullptr), "UNINSTALL", uninstaller_path(target));

    platform::RegistryWriter registry;
    registry.set_root(RegistryRoot::local_machine);
    registry.open_key(uninstall_key_path(Product.ProductFolderName));
    registry.write_text("DisplayName", Product.ProductFolderName);
    registry.write_text("UninstallString", uninstall_command(target));
    registry.close_key();

    const std::string text = record_text(uninstall_record_lines(
        target, Product.ProductTitle, Product.ProductFolderName, registry_lines, shortcut_lines));
    platform::write_file(record_path(target), text.data(), text.size());
}

}  // namespace setup
