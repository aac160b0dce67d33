#pragma once
// The builder's check of a setup script: everything that the installer would read otherwise
// than its writer meant, or not at all, found before anything is built. The script is read
// with the installer's own reader (IniText, read_product_settings, read_install_plan), so the
// check and the installer cannot disagree on what a script says; a pass over the raw lines
// adds what that reader passes over without a word.
#include <string>
#include <string_view>
#include <vector>

#include "script_check/diagnostic.h"
#include "script_check/product_listing.h"

namespace setup {

// The findings about a script in CP1250 (as decode_script gives it) and, when `product` is
// given, about the product folder and what the script names in it; sorted by line, then
// column (findings without a line, line 0, first). Errors stop a build, warnings do not. Checks
// every entry once: a script with 10,000 entries takes milliseconds.
std::vector<Diagnostic> check_script(std::string_view cp1250_text, const ProductListing* product);

struct CheckedScript {
    std::string cp1250_text;  // what Setup.exe is to carry (see decode_script)
    std::vector<Diagnostic> diagnostics;
};

// The script file as the packager wrote it (UTF-8 or CP1250, LF or CR LF): decoded, checked,
// and the findings of both steps sorted together.
CheckedScript check_script_file(std::string_view file_bytes, const ProductListing* product);

bool has_errors(const std::vector<Diagnostic>& diagnostics);

}  // namespace setup
