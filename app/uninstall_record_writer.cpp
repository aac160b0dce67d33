#include "app/uninstall_record_writer.h"

#include <windows.h>

#include "integrity/sha256.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/registry_writer.h"
#include "record/uninstall_record.h"

namespace setup {

void WriteUninstallRecord(const ProductSettings& Product, const std::string& target,
                          const std::vector<std::string>& registry_lines,
                          const std::vector<std::string>& shortcut_lines, UndoLedger& ledger) {
    note_file(ledger, uninstaller_path(target), platform::path_kind);
    platform::SaveResourceToFile(GetModuleHandleA(nullptr), "UNINSTALL", uninstaller_path(target));

    platform::RegistryWriter registry(&ledger);
    registry.set_root(RegistryRoot::local_machine);
    registry.open_key(uninstall_key_path(Product.ProductFolderName));
    registry.write_text("DisplayName", Product.ProductFolderName);
    registry.write_text("UninstallString", uninstall_command(target));
    registry.close_key();

    const std::string text = record_text(uninstall_record_lines(
        target, Product.ProductTitle, Product.ProductFolderName, registry_lines, shortcut_lines));
    note_file(ledger, record_path(target), platform::path_kind);
    platform::write_file(record_path(target), text.data(), text.size());

    // Last, once the record is whole: the uninstaller acts only on a record with this digest.
    Sha256 digest;
    digest.update(text.data(), text.size());
    registry.set_root(RegistryRoot::local_machine);
    registry.open_key(uninstall_key_path(Product.ProductFolderName));
    registry.write_text(std::string(kRecordDigestValue), to_hex(digest.finish()));
    registry.close_key();
}

}  // namespace setup
