#pragma once
#include <string>
#include <vector>

#include "install/undo_ledger.h"
#include "script/setup_script.h"

namespace setup {

// Writes the uninstaller (resource UNINSTALL) of the product `Product` into `target`, registers it
// under the uninstall key of HKEY_LOCAL_MACHINE, writes "uninstal.ini" beside it and then the
// record's SHA-256 into the uninstall key (kRecordDigestValue), in this order; a step that fails
// throws RuntimeError and the later ones are not done. What it makes is noted in `ledger`.
void WriteUninstallRecord(const ProductSettings& Product, const std::string& target,
                          const std::vector<std::string>& registry_lines,
                          const std::vector<std::string>& shortcut_lines, UndoLedger& ledger);

}  // namespace setup
