#pragma once
#include <optional>
#include <string>
#include <vector>

#include "install/undo_ledger.h"
#include "install/uninstall_entry.h"
#include "script/setup_script.h"

namespace setup {

// Writes the uninstaller (resource UNINSTALL) of the product `Product` into `target`, registers it
// under the uninstall key of HKEY_LOCAL_MACHINE (in the product's view, with the values of
// `entry` after DisplayName and UninstallString), writes the list of what the run wrote
// ("uninstal.lst": `ledger`'s folders, files and keys, after `earlier_list`, the lines of the list
// of an earlier installation there; no list when nullopt) and its SHA-256, then "uninstal.ini" and
// the record's SHA-256 (kInstalledListDigestValue, kRecordDigestValue), in this order; a step that
// fails throws RuntimeError and the later ones are not done. What it makes is noted in `ledger`.
void WriteUninstallRecord(const ProductSettings& Product, const std::string& target,
                          const std::vector<EntryValue>& entry,
                          const std::vector<std::string>& registry_lines,
                          const std::vector<std::string>& shortcut_lines,
                          const std::optional<std::vector<std::string>>& earlier_list,
                          UndoLedger& ledger);

}  // namespace setup
