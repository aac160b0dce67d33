// The script's structure: lines the reader passes over, repeats, over-long values, unknown
// names and the entry counts of key 0.
#include <algorithm>
#include <string>

#include "script/integer_text.h"
#include "script_check/checks.h"

namespace setup {

namespace {

std::string line_ref(int line) {
    return "line " + std::to_string(line);
}

void report_ignored_lines(CheckContext& context) {
    for (const IgnoredLine& ignored : context.layout().ignored) {
        const std::string text = quoted(ignored.text);
        switch (ignored.kind) {
            case IgnoredLine::Kind::no_equals:
                context.report(Severity::warning, ignored.line, ignored.column,
                               "line " + text +
                                   " has no '=': the installer ignores it; write key=value, or "
                                   "start a comment with ';'");
                break;
            case IgnoredLine::Kind::before_section:
                context.report(Severity::warning, ignored.line, ignored.column,
                               text +
                                   " stands before any section: the installer ignores it; move "
                                   "it under its section");
                break;
            case IgnoredLine::Kind::unclosed_section:
                context.report(Severity::error, ignored.line, ignored.column,
                               text +
                                   " has no closing ']': the installer ignores the line, and the "
                                   "keys below it count in the section above; write " +
                                   quoted(std::string(ignored.text) + "]"));
                break;
        }
    }
}

void report_repeated_key(CheckContext& context, const SectionBlock& block, const KeyLine& key,
                         const KeyLine& first) {
    context.report(Severity::warning, key.line, key.name_column,
                   "key " + quoted(key.name) + " appears again in " + bracketed(block.name) +
                       " (first at " + line_ref(first.line) +
                       "): the installer reads only the first; remove one of them");
}

void report_long_value(CheckContext& context, const SectionBlock& block, const KeyLine& key) {
    context.report_at(Severity::warning, key, kMaxIniValueLength,
                      "the value of key " + quoted(key.name) + " in " + bracketed(block.name) +
                          " has " + std::to_string(key.value.size()) +
                          " characters: the installer reads only the first " +
                          std::to_string(kMaxIniValueLength) + "; shorten it");
}

// Entry numbers written as runs: "4", "4 to 9, 12", cut after a few runs.
std::string number_runs(const std::vector<int32_t>& numbers) {
    constexpr size_t kShownRuns = 6;
    std::string text;
    size_t runs = 0;
    for (size_t i = 0; i < numbers.size();) {
        size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
        if (runs == kShownRuns) return text + " and more";
        if (runs > 0) text += ", ";
        text += std::to_string(numbers[i]);
        if (j > i) text += " to " + std::to_string(numbers[j]);
        ++runs;
        i = j + 1;
    }
    return text;
}

// Key 0 missing, not a number, or not above 0, while entry keys are written: none is read.
void report_unread_entries(CheckContext& context, const EntrySectionKind& kind,
                           const SectionBlock& block, const KeyLine* zero, int32_t highest) {
    const std::string section = bracketed(kind.name);
    const std::string fix = "; write 0=" + std::to_string(highest) + " (the number of entries)";
    if (zero == nullptr) {
        context.report(Severity::warning, block.line, block.column,
                       section +
                           " has entries but no key 0, their count: the installer reads "
                           "none of them" +
                           fix);
        return;
    }
    const auto number = parse_integer_text(zero->value);
    const std::string what = !number       ? quoted(zero->value) + " is not a number"
                             : *number < 0 ? std::to_string(*number) + " is below 0"
                                           : std::string("0 declares no entries");
    context.report_at(Severity::warning, *zero, 0,
                      "the entry count " + what + ": the installer reads none of the entries of " +
                          section + fix);
}

}  // namespace

std::optional<EntryKey> parse_entry_key(std::string_view key, std::string_view letters) {
    size_t digits = 0;
    while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9') ++digits;
    if (digits == 0 || digits > 10 || key.front() == '0') return std::nullopt;
    const std::string_view rest = key.substr(digits);
    EntryKey entry;
    if (letters.empty()) {
        if (!rest.empty()) return std::nullopt;
    } else {
        if (rest.size() != 1) return std::nullopt;
        entry.letter = ascii_lower(rest)[0];
        if (letters.find(entry.letter) == std::string_view::npos) return std::nullopt;
    }
    const auto number = parse_integer_text(key.substr(0, digits));
    if (!number) return std::nullopt;
    entry.number = *number;
    return entry;
}

void check_layout(CheckContext& context) {
    report_ignored_lines(context);
    for (const SectionBlock& block : context.layout().sections) {
        if (!context.is_read(block)) {
            const SectionBlock& first = *context.section(block.name);
            context.report(Severity::warning, block.line, block.column,
                           "section " + bracketed(block.name) + " appears again (first at " +
                               line_ref(first.line) +
                               "): the installer reads only the first, so every key of this one "
                               "is ignored; move them into the first");
            continue;
        }
        for (const KeyLine& key : block.keys) {
            const KeyLine& first = *context.key(block.name, key.name);
            if (&first != &key) {
                report_repeated_key(context, block, key, first);
            } else if (key.value.size() > kMaxIniValueLength) {
                report_long_value(context, block, key);
            }
        }
    }
}

EntryCount check_entry_count(CheckContext& context, const EntrySectionKind& kind) {
    EntryCount count;
    const SectionBlock* block = context.section(kind.name);
    if (block == nullptr) return count;
    std::vector<int32_t> written;  // entry numbers with a key, as read
    for (const KeyLine& key : block->keys) {
        if (context.key(kind.name, key.name) != &key) continue;
        if (auto entry = parse_entry_key(key.name, kind.letters)) written.push_back(entry->number);
    }
    const int32_t highest = written.empty() ? 0 : *std::max_element(written.begin(), written.end());
    const KeyLine* zero = context.key(kind.name, "0");
    const auto declared = zero ? parse_integer_text(zero->value) : std::nullopt;
    if (declared && *declared > kMaxEntryCount) {
        context.report_at(Severity::error, *zero, 0,
                          "the entry count " + std::to_string(*declared) + " of " +
                              bracketed(kind.name) + " is more than the " +
                              std::to_string(kMaxEntryCount) +
                              " entries an installer takes; write the number of entries");
        count.over_limit = true;
        return count;
    }
    if (!declared || *declared <= 0) {
        if (!written.empty()) report_unread_entries(context, kind, *block, zero, highest);
        return count;
    }
    count.declared = *declared;
    count.has_keys.assign(static_cast<size_t>(*declared) + 1, false);
    for (int32_t number : written)
        if (number <= *declared) count.has_keys[static_cast<size_t>(number)] = true;
    std::vector<int32_t> missing;
    for (int32_t n = 1; n <= *declared; ++n)
        if (!count.has_keys[static_cast<size_t>(n)]) missing.push_back(n);
    if (!missing.empty()) {
        context.report_at(Severity::warning, *zero, 0,
                          "the entry count " + std::to_string(*declared) + " of " +
                              bracketed(kind.name) + " declares " +
                              (missing.size() == 1 ? "entry " : "entries ") + number_runs(missing) +
                              ", which " + (missing.size() == 1 ? "has" : "have") +
                              " no keys: the installer reads each as an empty " +
                              std::string(kind.entry) + "; lower the count or write the entries");
    }
    return count;
}

}  // namespace setup
