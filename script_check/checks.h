#pragma once
// The checks of a setup script, each over one part of it; check_script (script_check.h) runs
// them in turn. Internal to the checker.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "script/setup_script.h"
#include "script_check/check_context.h"
#include "script_check/product_listing.h"

namespace setup {

// An entry section: its name, its field letters (none for [R]) and what one entry makes.
struct EntrySectionKind {
    std::string_view name;
    std::string_view letters;
    std::string_view entry;
};
inline constexpr EntrySectionKind kEntrySections[] = {{"M", "ab", "Start-menu shortcut"},
                                                      {"A", "ab", "Autostart shortcut"},
                                                      {"D", "ab", "desktop shortcut"},
                                                      {"R", "", "program to start"},
                                                      {"S", "abcde", "registry value"}};
inline constexpr const EntrySectionKind& kProgramSection = kEntrySections[3];
inline constexpr const EntrySectionKind& kRegistrySection = kEntrySections[4];

// An entry key: "12b" is entry 12's field b; in [R] "12" is entry 12 (letter 0). Numbers are
// written as the reader looks them up: decimal, from 1, without leading zeros.
struct EntryKey {
    int32_t number = 0;
    char letter = 0;
};
std::optional<EntryKey> parse_entry_key(std::string_view key, std::string_view letters);

// The entries of one section as the reader reads them.
struct EntryCount {
    int32_t declared = 0;        // key 0 when it is a number from 1 to kMaxEntryCount, else 0
    bool over_limit = false;     // key 0 above kMaxEntryCount: the reader refuses the script
    std::vector<bool> has_keys;  // [n] for 1 <= n <= declared: entry n has a key of its own
};

// Lines the reader passes over, repeated sections and keys, values longer than it keeps.
void check_layout(CheckContext& context);

// Key 0 of an entry section against the entry keys written under it.
EntryCount check_entry_count(CheckContext& context, const EntrySectionKind& kind);

// Sections and keys the reader never looks up: unknown ones (with the nearest known name), and
// entry keys above the count. `counts` are in the order of kEntrySections.
void check_names(CheckContext& context, const std::vector<EntryCount>& counts);

// Section [I]: title, folder name, archive, uninstaller switch, colour, and the keys of the
// product's entry in the list of programs: version, publisher, kind, web address.
void check_settings(CheckContext& context, const ProductSettings& settings);

// A file of the product folder that an entry names, with the key that names it.
struct NamedFile {
    const ProductItem* item;
    const KeyLine* key;
};

// What the entries' fields refer to: the settings, and the product folder when it is known.
struct EntryReferents {
    const ProductSettings& settings;
    const ProductIndex* product;          // nullptr: the product folder is not checked against
    std::vector<NamedFile>* named_files;  // gets the files the entries name; with `product`
};

// [M], [A], [D]: captions that can name a link file, targets in the product folder.
void check_shortcuts(CheckContext& context, const EntrySectionKind& kind,
                     const std::vector<ShortcutEntry>& entries, const EntryCount& count,
                     const EntryReferents& facts);
// [R]: programs the installer can find and start.
void check_programs(CheckContext& context, const std::vector<std::string>& entries,
                    const EntryCount& count, const EntryReferents& facts);
// [S]: root and type codes, number data, the target-folder placeholder.
void check_registry(CheckContext& context, const std::vector<RegistryEntry>& entries,
                    const EntryCount& count);

// Key 8 of [I] against the kinds of the programs among `named` (read from their headers): a
// 64-bit program in an x86 installation, an x64 installation of 32-bit programs only.
void check_architecture(CheckContext& context, const std::vector<NamedFile>& named);

// The product folder: names Windows cannot hold or holds as one, names the installer writes
// itself, paths too long under a typical target folder, a folder without files.
void check_product(const ProductListing& listing, const ProductSettings& settings,
                   std::vector<Diagnostic>& out);

}  // namespace setup
