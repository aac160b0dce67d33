#pragma once
// `mksetup build`, `check` and `init`: the script checked against the product folder, the
// folder packed into the archive the script names, and Setup.exe stamped from the stub with
// the script, the pictures and the archive's digest. Nothing is written until everything has
// been checked; what is written goes under temporary names and is moved into place at the end,
// so a failure leaves earlier outputs as they were.
#include <cstdio>
#include <string>

#include "mksetup/command_line.h"
#include "script_check/product_listing.h"

namespace mksetup {

// Where messages go: diagnostics, warnings and notes on `err`, progress too.
struct Console {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool terminal = false;  // err is a terminal
};

// The files and folders of a product folder, as the archive will name them. Throws
// std::runtime_error when the folder is not there.
setup::ProductListing scan_product(const std::string& folder, const Console& console);

// Throw std::runtime_error naming what failed; return normally when done.
void build_installer(const Options& options, const Console& console);
// `mksetup init`: a commented starting script for the product folder, on `console.out`.
void print_starting_script(const Options& options, const Console& console);

// Returns false when the script has errors (or warnings, with --Werror).
bool check_only(const Options& options, const Console& console);

}  // namespace mksetup
