#pragma once
// Files an earlier installation left in the target folder, read only when the product's
// uninstall key vouches for their bytes.
#include <optional>
#include <string>
#include <string_view>

#include "common/installation_log.h"
#include "record/registry_root.h"

namespace setup {

// A file an earlier installation of the product left in `target`, when the product's uninstall
// key holds its SHA-256 as `digest_value`; nullopt otherwise (logged when the file is there).
// The record and the list lie in a folder its users may write, and what they name goes with
// the product: a file planted in a folder made beforehand must not reach the new installation.
std::optional<std::string> vouched_earlier_file(const std::string& path,
                                                const std::string& folder_name, RegistryView view,
                                                std::string_view digest_value,
                                                InstallationLog& log);

}  // namespace setup
