#include "script_check/diagnostic.h"

namespace setup {

namespace {

std::string place_of(std::string_view file_name, const Diagnostic& d,
                     std::string_view product_folder) {
    if (!d.product_item.empty()) {
        if (product_folder.empty()) return d.product_item;
        std::string place(product_folder);
        if (d.product_item == ".") return place;
        if (!place.ends_with('/') && !place.ends_with('\\')) place += '/';
        return place + d.product_item;
    }
    std::string place(file_name);
    if (d.line > 0) {
        place += ':';
        place += std::to_string(d.line);
        place += ':';
        place += std::to_string(d.column);
    }
    return place;
}

}  // namespace

std::string format_diagnostic(std::string_view file_name, const Diagnostic& diagnostic,
                              std::string_view product_folder) {
    return place_of(file_name, diagnostic, product_folder) +
           (diagnostic.severity == Severity::error ? ": error: " : ": warning: ") +
           diagnostic.message;
}

}  // namespace setup
