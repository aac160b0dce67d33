#pragma once
// `mksetup inspect` and `mksetup init`.
#include "build_installer.h"

namespace mksetup {

// Prints what an installer carries: its stub version, resources, script, pictures, digest,
// and whether the archive beside it matches the digest. Throws std::runtime_error.
void inspect_installer(const Options& options, const Console& console);

// Prints a commented starting script for the product folder on `console.out`.
void print_starting_script(const Options& options, const Console& console);

}  // namespace mksetup
