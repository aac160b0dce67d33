// The product folder, as the installer will lay it out in the target folder.
#include <string>
#include <unordered_map>

#include "record/uninstall_record.h"
#include "script_check/checks.h"
#include "script_check/code_page_1250.h"
#include "uha/src/names.h"

namespace setup {

namespace {

// The target folder the wizard proposes on a typical system, before the product's folder name.
constexpr std::string_view kTypicalBase = "C:\\Program Files\\";
// MAX_PATH is 260 characters with the terminating NUL; a folder must leave room for an 8.3
// file name inside it (CreateDirectory takes at most MAX_PATH - 12).
constexpr size_t kLongestFilePath = 259;
constexpr size_t kLongestFolderPath = 247;

// Characters as Windows counts them in a path: UTF-16 units.
size_t utf16_length(std::string_view utf8) {
    size_t units = 0;
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;  // a character starts
        if (byte >= 0xF0) ++units;           // beyond the first plane: a surrogate pair
    }
    return units;
}

void report(std::vector<Diagnostic>& out, std::string item, std::string message) {
    out.push_back({Severity::error, 0, 0, std::move(message), std::move(item)});
}

bool is_written_by_installer(const std::string& folded_name) {
    return folded_name == uha::fold_name(std::string(kUninstallerFile)) ||
           folded_name == uha::fold_name(std::string(kRecordFile));
}

void check_path_length(const ProductItem& item, const std::string& base, size_t base_length,
                       std::vector<Diagnostic>& out) {
    const size_t length = base_length + utf16_length(item.name);
    const size_t longest = item.folder ? kLongestFolderPath : kLongestFilePath;
    if (length <= longest) return;
    report(out, item.name,
           "installed under " + base + " its path has " + std::to_string(length) +
               " characters, more than the " + std::to_string(longest) + " Windows allows " +
               (item.folder ? "a folder" : "a file") +
               "; shorten its name, its folders' names or the folder name (key 2 in [I])");
}

}  // namespace

void check_product(const ProductListing& listing, const ProductSettings& settings,
                   std::vector<Diagnostic>& out) {
    bool has_file = false;
    const std::string base =
        std::string(kTypicalBase) + cp1250_to_utf8(settings.ProductFolderName) + "\\";
    const size_t base_length = utf16_length(base);
    std::unordered_map<std::string, const ProductItem*> by_folded_name;
    for (const ProductItem& item : listing) {
        has_file = has_file || !item.folder;
        if (auto problem = uha::name_problem(item.name)) {
            report(out, item.name, "Windows cannot hold this name: it " + *problem + "; rename it");
            continue;
        }
        const std::string folded = uha::fold_name(item.name);
        const auto [first, unique] = by_folded_name.try_emplace(folded, &item);
        if (!unique) {
            report(out, item.name,
                   "its name and '" + first->second->name +
                       "' differ only in letter case: Windows holds them as one; rename one");
        }
        if (settings.CreateUninstaller && item.name.find('/') == std::string::npos &&
            is_written_by_installer(folded)) {
            report(out, item.name,
                   "the installer writes its uninstaller (" + std::string(kUninstallerFile) +
                       ") and the uninstaller's record (" + std::string(kRecordFile) +
                       ") into the target folder, over this; rename it, or turn the "
                       "uninstaller off (4=0 in [I])");
        }
        check_path_length(item, base, base_length, out);
    }
    if (!has_file)
        report(out, ".", "the product folder holds no files; put the product's files in it");
}

}  // namespace setup
