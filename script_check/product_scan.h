#pragma once
// The product folder's listing for the checker, read by uha's own scan, so that the checker
// sees exactly the names the archive will hold.
#include <functional>
#include <string>

#include "script_check/product_listing.h"

namespace setup {

// Every file and folder below `native_folder` (a path as the system takes it). Links and
// special files are left out, as the archive leaves them out; `note` hears of each. Throws
// uha::Error naming what could not be read, or a name the archive cannot store.
ProductListing scan_product(const std::string& native_folder,
                            const std::function<void(const std::string&)>& note = {});

}  // namespace setup
