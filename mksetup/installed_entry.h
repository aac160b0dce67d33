#pragma once
// `mksetup inspect`'s view of what the installer will write into the system's list of
// programs: the product's kind, its uninstall key and the key's values, worked out by the
// installer's own rules with what only the installation knows shown as stand-ins.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "script/setup_script.h"

namespace mksetup {

// The lines to print, unindented. `unpacked_bytes`: the archive's files' sizes from its table,
// nullopt when the archive is not at hand.
std::vector<std::string> installed_entry_lines(const setup::ProductSettings& product,
                                               const setup::InstallPlan& plan,
                                               std::optional<uint64_t> unpacked_bytes);

}  // namespace mksetup
