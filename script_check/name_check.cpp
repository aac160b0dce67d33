// Sections and keys that the reader never looks up.
#include <algorithm>
#include <string>

#include "script_check/checks.h"
#include "script_check/near_match.h"

namespace setup {

namespace {

constexpr std::string_view kSectionNames[] = {"I", "M", "A", "D", "R", "S"};
constexpr std::string_view kSettingKeys[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};

template <size_t N>
std::vector<std::string> strings_of(const std::string_view (&names)[N]) {
    return {std::begin(names), std::end(names)};
}

const EntrySectionKind* entry_kind(std::string_view section) {
    for (const EntrySectionKind& kind : kEntrySections)
        if (ascii_lower(kind.name) == ascii_lower(section)) return &kind;
    return nullptr;
}

std::string keys_of(const EntrySectionKind* kind) {
    if (kind == nullptr) return "[I] has the keys 1 to 9";
    const std::string section = bracketed(kind->name);
    if (kind->letters.empty()) return section + " has the keys 0 (the count) and 1, 2, 3 and so on";
    return section + " has the keys 0 (the count) and, for each entry n, n followed by a letter " +
           "from " + std::string(1, kind->letters.front()) + " to " +
           std::string(1, kind->letters.back()) + " (1a, 1b, 2a, ...)";
}

// The keys a misspelt entry key may have meant: the count, and the fields of the entry whose
// number it holds (entry 1 when it holds none).
std::vector<std::string> entry_key_candidates(std::string_view key, const EntrySectionKind& kind) {
    std::string digits;
    for (char c : key)
        if (c >= '0' && c <= '9' && digits.size() < 9 && !(digits.empty() && c == '0')) digits += c;
    if (digits.empty()) digits.push_back('1');
    std::vector<std::string> candidates = {"0"};
    if (kind.letters.empty()) candidates.push_back(digits);
    for (char letter : kind.letters) candidates.push_back(digits + letter);
    return candidates;
}

void report_unknown_key(CheckContext& context, const SectionBlock& block, const KeyLine& key,
                        const EntrySectionKind* kind) {
    const auto meant = nearest(
        key.name, kind ? entry_key_candidates(key.name, *kind) : strings_of(kSettingKeys), 1);
    context.report(Severity::warning, key.line, key.name_column,
                   "unknown key " + quoted(key.name) + " in " + bracketed(block.name) +
                       ": the installer ignores it" +
                       (meant ? "; did you mean '" + *meant + "'?" : std::string()) + " (" +
                       keys_of(kind) + ")");
}

void report_key_above_count(CheckContext& context, const KeyLine& key, const EntrySectionKind& kind,
                            const EntryKey& entry, int32_t declared) {
    context.report(Severity::warning, key.line, key.name_column,
                   "key " + quoted(key.name) + " in " + bracketed(kind.name) +
                       " is ignored: the entry count (key 0) is " + std::to_string(declared) +
                       "; raise it to " + std::to_string(entry.number) + " or remove the key");
}

void check_keys(CheckContext& context, const SectionBlock& block, const EntrySectionKind* kind,
                const EntryCount* count) {
    for (const KeyLine& key : block.keys) {
        if (context.key(block.name, key.name) != &key) continue;  // a repeat, reported as such
        if (kind == nullptr) {
            const std::string name = ascii_lower(key.name);
            if (std::find(std::begin(kSettingKeys), std::end(kSettingKeys), name) ==
                std::end(kSettingKeys))
                report_unknown_key(context, block, key, nullptr);
            continue;
        }
        if (key.name == "0") continue;
        const auto entry = parse_entry_key(key.name, kind->letters);
        if (!entry) {
            report_unknown_key(context, block, key, kind);
        } else if (count->declared > 0 && entry->number > count->declared) {
            report_key_above_count(context, key, *kind, *entry, count->declared);
        }
    }
}

}  // namespace

void check_names(CheckContext& context, const std::vector<EntryCount>& counts) {
    for (const SectionBlock& block : context.layout().sections) {
        if (!context.is_read(block)) continue;  // a repeat, reported as such
        const std::string name = ascii_lower(block.name);
        const EntrySectionKind* kind = entry_kind(block.name);
        if (kind != nullptr) {
            check_keys(context, block, kind, &counts[static_cast<size_t>(kind - kEntrySections)]);
        } else if (name == "i") {
            check_keys(context, block, nullptr, nullptr);
        } else {
            const auto meant = nearest(block.name, strings_of(kSectionNames), 2);
            context.report(Severity::warning, block.line, block.column,
                           "unknown section " + bracketed(block.name) +
                               ": the installer reads only [I], [M], [A], [D], [R] and [S]" +
                               (meant ? "; did you mean [" + *meant + "]?" : std::string()));
        }
    }
}

}  // namespace setup
