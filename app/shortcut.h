#pragma once
#include <string>

namespace setup {

// Writes the link `folder`\`caption`.lnk to `target` (no arguments, working folder the
// target's folder), making `folder` and every missing level above it first; sets
// LastShortcutPath before the save. A failed save is silent; a folder that cannot be made or
// a missing shell link object throws RuntimeError.
void CreateShortcut(const std::string& target, const std::string& folder,
                    const std::string& caption);

}  // namespace setup
