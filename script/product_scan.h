#pragma once
// The product folder's listing for the checker, read by uha's own scan, so that the checker
// sees exactly the names the archive will hold.
#include <string>

#include "product_listing.h"

namespace setup {

// Every file and folder below `native_folder` (a path as the system takes it). Throws
// uha::Error naming what could not be read, or a name the archive cannot store.
ProductListing scan_product(const std::string& native_folder);

}  // namespace setup
