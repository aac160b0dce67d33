#include "script_check/product_listing.h"

#include "uha/src/names.h"

namespace setup {

namespace {

std::string folded_parent(std::string_view name) {
    const size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? std::string() : uha::fold_name(name.substr(0, slash));
}

}  // namespace

std::string with_forward_slashes(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

ProductIndex::ProductIndex(const ProductListing& listing) {
    for (const ProductItem& item : listing) {
        by_folded_name_.try_emplace(uha::fold_name(item.name), &item);
        by_folded_parent_[folded_parent(item.name)].push_back(item.name);
    }
}

const ProductItem* ProductIndex::find(std::string_view utf8_path) const {
    const auto found = by_folded_name_.find(uha::fold_name(with_forward_slashes(utf8_path)));
    return found == by_folded_name_.end() ? nullptr : found->second;
}

std::vector<std::string> ProductIndex::names_beside(std::string_view utf8_path) const {
    const auto found = by_folded_parent_.find(folded_parent(with_forward_slashes(utf8_path)));
    return found == by_folded_parent_.end() ? std::vector<std::string>{} : found->second;
}

}  // namespace setup
