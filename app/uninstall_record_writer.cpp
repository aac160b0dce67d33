#include "app/uninstall_record_writer.h"

#include <windows.h>

#include "integrity/sha256.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/registry_writer.h"
#include "record/registry_root.h"
#include "record/uninstall_record.h"

namespace setup {
namespace {

// Writes `text` to `path`, then its SHA-256 as `digest_value` of `key` under
// HKEY_LOCAL_MACHINE; both noted in `ledger`.
void write_vouched(const std::string& path, const std::string& text,
                   platform::RegistryWriter& registry, const std::string& key, RegistryView view,
                   std::string_view digest_value, UndoLedger& ledger) {
    note_file(ledger, path, platform::path_kind);
    platform::write_file(path, text.data(), text.size());
    Sha256 digest;
    digest.update(text.data(), text.size());
    registry.set_root(RegistryRoot::local_machine, view);
    registry.open_key(key);
    registry.write_text(std::string(digest_value), to_hex(digest.finish()));
    registry.close_key();
}

}  // namespace

void WriteUninstallRecord(const ProductSettings& Product, const std::string& target,
                          const std::vector<EntryValue>& entry,
                          const std::vector<std::string>& registry_lines,
                          const std::vector<std::string>& shortcut_lines,
                          const std::optional<std::vector<std::string>>& earlier_list,
                          UndoLedger& ledger) {
    note_file(ledger, uninstaller_path(target), platform::path_kind);
    platform::SaveResourceToFile(GetModuleHandleA(nullptr), "UNINSTALL", uninstaller_path(target));

    const RegistryView view = product_view(Product.Architecture);
    platform::RegistryWriter registry(&ledger);
    registry.set_root(RegistryRoot::local_machine, view);
    registry.open_key(uninstall_key_path(Product.ProductFolderName));
    registry.write_text("DisplayName", Product.ProductFolderName);
    registry.write_text("UninstallString", uninstall_command(target));
    for (const EntryValue& value : entry) {
        if (value.number)
            registry.write_integer(value.name, static_cast<int32_t>(*value.number));
        else
            registry.write_text(value.name, value.text);
    }
    registry.close_key();

    const std::string key = uninstall_key_path(Product.ProductFolderName);
    // What the run wrote, vouched for like the record and before it: the uninstaller removes
    // below the target only what this list names.
    if (earlier_list) {
        WrittenThings written{ledger.folders_made, ledger.files_made, {}};
        written.files.insert(written.files.end(), ledger.files_replaced.begin(),
                             ledger.files_replaced.end());
        for (const UndoLedger::Key& made : ledger.keys_made)
            written.keys.push_back(registry_record_line(made.root, made.path, "", made.view));
        write_vouched(installed_list_path(target),
                      record_text(installed_list_lines(*earlier_list, written)), registry, key,
                      view, kInstalledListDigestValue, ledger);
    }
    // Last, the record, whole before its digest: the uninstaller acts only on a record with it.
    write_vouched(record_path(target),
                  record_text(uninstall_record_lines(
                      target, Product.ProductTitle, Product.ProductFolderName, registry_lines,
                      shortcut_lines, {entry_value_names(entry), view})),
                  registry, key, view, kRecordDigestValue, ledger);
}

}  // namespace setup
