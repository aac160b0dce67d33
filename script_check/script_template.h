#pragma once
// The starting script that "mksetup init <product folder>" writes for the packager to edit.
#include <string>
#include <string_view>

#include "script_check/product_listing.h"

namespace setup {

// UTF-8 with LF line ends. Comment lines (";") explain each section and key in a line or two;
// the title and the folder name are the product folder's own name (`folder_name`, UTF-8); [M]
// holds a Start-menu shortcut to each program (.exe) at the product's root, named after it,
// or a commented example when there is none; [A], [D], [R] and [S] declare no entries and show
// a commented example each. [I] gives a version (1.0), a placeholder publisher and the kind:
// x64 when one of the programs [M] lists is a 64-bit program (read from `product`'s files),
// else x86; the web address is a commented example. When `folder_name` is a name Windows can
// hold and code page 1250 can write, and `product` holds files, the script passes check_script
// against `product` without a finding.
std::string starting_script(std::string_view folder_name, const ProductListing& product);

}  // namespace setup
