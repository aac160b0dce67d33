#include "script_check/script_check.h"

#include <algorithm>
#include <optional>

#include "script/ini_reader.h"
#include "script_check/checks.h"
#include "script_check/script_source.h"

namespace setup {

namespace {

// The text the reader is given. A count above kMaxEntryCount makes read_install_plan refuse
// the whole script; it is reported already, so its section is read as empty instead, and the
// other sections are still checked.
std::string readable_text(std::string_view text, const CheckContext& context,
                          const std::vector<EntryCount>& counts) {
    std::vector<int> refused_lines;
    for (size_t i = 0; i < counts.size(); ++i)
        if (counts[i].over_limit)
            refused_lines.push_back(context.key(kEntrySections[i].name, "0")->line);
    if (refused_lines.empty()) return std::string(text);
    std::string out;
    int number = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        ++number;
        const bool refused =
            std::find(refused_lines.begin(), refused_lines.end(), number) != refused_lines.end();
        out += refused ? std::string_view("0=0\r\n") : text.substr(start, end - start);
        start = end;
    }
    return out;
}

void sort_by_place(std::vector<Diagnostic>& diagnostics) {
    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
}

void check_entries(CheckContext& context, const InstallPlan& plan,
                   const std::vector<EntryCount>& counts, const EntryReferents& facts) {
    check_shortcuts(context, kEntrySections[0], plan.StartMenuEntries, counts[0], facts);
    check_shortcuts(context, kEntrySections[1], plan.AutostartEntries, counts[1], facts);
    check_shortcuts(context, kEntrySections[2], plan.DesktopEntries, counts[2], facts);
    check_programs(context, plan.RunAfterInstall, counts[3], facts);
    check_registry(context, plan.RegistryEntries, counts[4]);
}

}  // namespace

std::vector<Diagnostic> check_script(std::string_view cp1250_text, const ProductListing* product) {
    std::vector<Diagnostic> out;
    const ScriptLayout layout = scan_layout(cp1250_text);
    CheckContext context(layout, out);
    check_layout(context);
    std::vector<EntryCount> counts;
    for (const EntrySectionKind& kind : kEntrySections)
        counts.push_back(check_entry_count(context, kind));
    check_names(context, counts);

    const IniText ini(readable_text(cp1250_text, context, counts));
    const ProductSettings settings = read_product_settings(ini, "");
    check_settings(context, settings);
    std::optional<ProductIndex> index;
    if (product != nullptr) index.emplace(*product);
    std::vector<NamedFile> named_files;
    check_entries(context, read_install_plan(ini), counts,
                  {settings, index ? &*index : nullptr, &named_files});
    if (product != nullptr) {
        check_architecture(context, named_files);
        check_product(*product, settings, out);
    }
    sort_by_place(out);
    return out;
}

CheckedScript check_script_file(std::string_view file_bytes, const ProductListing* product) {
    ScriptSource source = decode_script(file_bytes);
    CheckedScript checked{std::move(source.cp1250_text), std::move(source.diagnostics)};
    if (checked.cp1250_text.empty() && has_errors(checked.diagnostics)) return checked;  // UTF-16
    std::vector<Diagnostic> found = check_script(checked.cp1250_text, product);
    checked.diagnostics.insert(checked.diagnostics.end(), found.begin(), found.end());
    sort_by_place(checked.diagnostics);
    return checked;
}

bool has_errors(const std::vector<Diagnostic>& diagnostics) {
    return std::any_of(diagnostics.begin(), diagnostics.end(),
                       [](const Diagnostic& d) { return d.severity == Severity::error; });
}

}  // namespace setup
