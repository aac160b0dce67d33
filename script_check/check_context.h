#pragma once
// What the checks of one script share: lookups into its layout that find what the reader
// reads, and the list the findings go to. Internal to the checker.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script_check/diagnostic.h"
#include "script_check/script_layout.h"

namespace setup {

class CheckContext {
  public:
    // Both must outlive the context.
    CheckContext(const ScriptLayout& layout, std::vector<Diagnostic>& out);
    CheckContext(const CheckContext&) = delete;
    CheckContext& operator=(const CheckContext&) = delete;

    const ScriptLayout& layout() const { return layout_; }
    // The first section of that name, the one the reader reads; nullptr when none.
    const SectionBlock* section(std::string_view name) const;
    // The first key of that name in that section, the one the reader reads; nullptr when none.
    const KeyLine* key(std::string_view section, std::string_view key) const;
    // Whether `block` is the first of its name (keys under a later one are never read).
    bool is_read(const SectionBlock& block) const { return section(block.name) == &block; }

    void report(Severity severity, int line, int column, std::string message);
    // At the character `offset` bytes into the key's value.
    void report_at(Severity severity, const KeyLine& key, size_t offset, std::string message);

  private:
    const ScriptLayout& layout_;
    std::vector<Diagnostic>& out_;
    std::unordered_map<std::string, const SectionBlock*> sections_;  // by lower-case name
    std::unordered_map<std::string, const KeyLine*> keys_;  // by lower-case section "\n" key
};

// A script text for a message: its UTF-8 form; quoted: in single quotes.
std::string shown(std::string_view cp1250);
std::string quoted(std::string_view cp1250);
// A section's name in brackets: "[M]".
std::string bracketed(std::string_view cp1250_name);

}  // namespace setup
