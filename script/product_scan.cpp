#include "product_scan.h"

#include "fs.h"

namespace setup {

ProductListing scan_product(const std::string& native_folder) {
    ProductListing listing;
    // Links and special files are left out of the archive, so out of the listing too.
    for (const uha::FoundItem& item : uha::scan_inputs({native_folder}, [](const std::string&) {}))
        listing.push_back({item.name, item.folder});
    return listing;
}

}  // namespace setup
