#pragma once
// `mksetup inspect`: what a built installer carries.
#include "mksetup/build_installer.h"

namespace mksetup {

// Prints what an installer carries: its stub version, resources, script, the product's kind
// and the uninstall entry the installation will write (installed_entry.h), pictures, digest,
// and whether the archive beside it matches the digest. Throws std::runtime_error.
void inspect_installer(const Options& options, const Console& console);

}  // namespace mksetup
