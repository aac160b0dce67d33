#include "script_check/product_scan.h"

#include "uha/src/fs.h"

namespace setup {

ProductListing scan_product(const std::string& native_folder,
                            const std::function<void(const std::string&)>& note) {
    ProductListing listing;
    for (const uha::FoundItem& item :
         uha::scan_inputs({uha::PackInput(native_folder, ".")}, [&](const std::string& text) {
             if (note) note(text);
         }))
        listing.push_back({item.name, item.folder, item.native_path});
    return listing;
}

}  // namespace setup
