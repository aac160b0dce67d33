#include "script_check/check_context.h"

#include "script_check/code_page_1250.h"

namespace setup {

namespace {

std::string key_id(std::string_view section, std::string_view key) {
    return ascii_lower(section) + "\n" + ascii_lower(key);
}

}  // namespace

CheckContext::CheckContext(const ScriptLayout& layout, std::vector<Diagnostic>& out)
    : layout_(layout), out_(out) {
    size_t keys = 0;
    for (const SectionBlock& block : layout.sections) keys += block.keys.size();
    keys_.reserve(keys);
    for (const SectionBlock& block : layout.sections) {
        if (!sections_.try_emplace(ascii_lower(block.name), &block).second) continue;
        for (const KeyLine& key : block.keys) keys_.try_emplace(key_id(block.name, key.name), &key);
    }
}

const SectionBlock* CheckContext::section(std::string_view name) const {
    const auto found = sections_.find(ascii_lower(name));
    return found == sections_.end() ? nullptr : found->second;
}

const KeyLine* CheckContext::key(std::string_view section, std::string_view key) const {
    const auto found = keys_.find(key_id(section, key));
    return found == keys_.end() ? nullptr : found->second;
}

void CheckContext::report(Severity severity, int line, int column, std::string message) {
    out_.push_back({severity, line, column, std::move(message), ""});
}

void CheckContext::report_at(Severity severity, const KeyLine& key, size_t offset,
                             std::string message) {
    report(severity, key.line, key.value_column + static_cast<int>(offset), std::move(message));
}

std::string shown(std::string_view cp1250) {
    return cp1250_to_utf8(cp1250);
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about a one-character literal + string.
std::string enclosed(char open, std::string_view cp1250, char close) {
    std::string text(1, open);
    text += shown(cp1250);
    text += close;
    return text;
}

std::string quoted(std::string_view cp1250) {
    return enclosed('\'', cp1250, '\'');
}

std::string bracketed(std::string_view cp1250_name) {
    return enclosed('[', cp1250_name, ']');
}

}  // namespace setup
