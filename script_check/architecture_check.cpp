// Key 8 of [I] against the programs the entries name: where the installer puts the product, and
// the registry view it writes in, follow key 8 alone, not the programs it installs.
#include <string>
#include <unordered_map>

#include "script_check/checks.h"
#include "script_check/program_architecture.h"

namespace setup {

namespace {

// "'Dane\gra.exe'": a listed name as the script writes it (UTF-8, for a message).
std::string windows_name(const ProductItem& item) {
    std::string name = item.name;
    for (char& c : name)
        if (c == '/') c = '\\';
    return "'" + name + "'";
}

}  // namespace

void check_architecture(CheckContext& context, const std::vector<NamedFile>& named) {
    const KeyLine* key = context.key("I", "8");
    const auto declared = key ? parse_architecture(key->value) : ProductArchitecture::x86;
    if (!declared) return;  // an error already: the kind the packager meant is not known
    std::unordered_map<const ProductItem*, std::optional<ProductArchitecture>> kinds;
    std::vector<const ProductItem*> programs_32;
    bool any_64 = false;
    for (const NamedFile& file : named) {
        if (file.item->native_path.empty()) continue;
        const auto [at, first] = kinds.try_emplace(file.item);
        if (!first) continue;  // each program once, at the first entry that names it
        at->second = read_program_architecture(file.item->native_path);
        if (at->second == ProductArchitecture::x86) programs_32.push_back(file.item);
        if (at->second != ProductArchitecture::x64) continue;
        any_64 = true;
        if (*declared == ProductArchitecture::x64) continue;
        context.report_at(Severity::warning, *file.key, 0,
                          windows_name(*file.item) +
                              " is a 64-bit program, and the installation is x86 (key 8 in [I] " +
                              (key ? "is x86" : "is missing") +
                              "): the installer would put it in Program Files (x86) and its "
                              "registry values in the 32-bit view; write 8=x64 in [I]");
    }
    if (*declared != ProductArchitecture::x64 || any_64 || programs_32.empty()) return;
    const size_t more = programs_32.size() - 1;
    context.report_at(Severity::warning, *key, 0,
                      "every program the entries name is 32-bit (" +
                          windows_name(*programs_32.front()) +
                          (more ? " and " + std::to_string(more) + " more" : std::string()) +
                          "), yet 8=x64: the installer would put the product in the 64-bit "
                          "Program Files and its registry values in the 64-bit view, and refuse "
                          "32-bit Windows, where it runs; write 8=x86");
}

}  // namespace setup
