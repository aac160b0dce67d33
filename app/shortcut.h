#pragma once
#include <string>

#include "common/installation_log.h"

namespace setup {

// Writes the link `folder`\`caption`.lnk to `target` (no arguments, working folder the
// target's folder), making `folder` and every missing level above it first. Returns the link's
// path, composed as the installation's plan composes it for the record (shortcut_link_path).
// A link that does not take a value or cannot be saved does not stop the installation, as it
// never did: the reason goes to `log`. A folder that cannot be made or a missing shell link
// object throws RuntimeError.
std::string CreateShortcut(const std::string& target, const std::string& folder,
                           const std::string& caption, InstallationLog& log);

}  // namespace setup
