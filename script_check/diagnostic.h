#pragma once
// A finding of the setup-script checker, and its one-line form for a terminal or an editor.
#include <string>
#include <string_view>

namespace setup {

// Errors stop a build; warnings do not (unless the builder is told to treat them as errors).
enum class Severity { warning, error };

struct Diagnostic {
    Severity severity = Severity::error;
    // 1-based line of the script and 1-based column in characters of that line as the packager
    // wrote it (a byte-order mark is not counted, a tab counts as one character). Line 0: the
    // finding has no place in the script: it is about the script as a whole, or, when
    // product_item is set, about the product folder.
    int line = 0;
    int column = 0;
    std::string message;  // UTF-8, English; quotes the offending text and says what to do
    // The product-folder item the finding is about: its name relative to the product folder,
    // UTF-8 with "/", or "." for the folder itself. Empty for findings about the script.
    std::string product_item;
    bool operator==(const Diagnostic&) const = default;
};

// GCC's form, so that editors can jump to the place:
//   "setup.ini:12:4: error: ..."        a place in the script
//   "setup.ini: warning: ..."           the script as a whole (line 0)
//   "product/Dane/x.txt: error: ..."    a product item: product_folder + "/" + item
//   "product: error: ..."               the product folder itself (item ".")
// product_folder is the folder as the packager named it; without it an item stands alone.
std::string format_diagnostic(std::string_view file_name, const Diagnostic& diagnostic,
                              std::string_view product_folder = {});

}  // namespace setup
