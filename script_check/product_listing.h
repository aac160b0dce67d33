#pragma once
// The product folder as the checker sees it, and lookups in it as Windows compares names.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace setup {

// One file or folder below the product folder, named as uha's scan_inputs names it: relative
// to the product folder, UTF-8, "/" between folders. Folders are listed as well as files.
struct ProductItem {
    std::string name;
    bool folder = false;
    // The file as the system opens it, for reading a program's headers; empty in a listing
    // made by hand, whose files are then not read.
    std::string native_path = {};
};
using ProductListing = std::vector<ProductItem>;

// Finds items by a path relative to the product folder as the installed product would see it:
// "\" (or "/") between folders, letters of any case (uha's fold_name). Keeps pointers into the
// listing, which must outlive it.
class ProductIndex {
  public:
    explicit ProductIndex(const ProductListing& listing);
    // The item that `utf8_path` names, or nullptr.
    const ProductItem* find(std::string_view utf8_path) const;
    // The items in the folder that holds `utf8_path` (the product's root when it has no
    // folder part), for suggesting a name.
    std::vector<std::string> names_beside(std::string_view utf8_path) const;

  private:
    std::unordered_map<std::string, const ProductItem*> by_folded_name_;
    // folded parent folder ("" for the root) -> names of the items in it, as listed
    std::unordered_map<std::string, std::vector<std::string>> by_folded_parent_;
};

// `path` with "\" turned into "/", the separator of listed names.
std::string with_forward_slashes(std::string_view path);

}  // namespace setup
