// The entries of [M], [A], [D], [R] and [S]: what each field refers to and how the installer
// reads its codes.
#include <string>

#include "install/launch_rules.h"
#include "install/registry_rules.h"
#include "install/target_folder.h"
#include "record/uninstall_record.h"
#include "script/integer_text.h"
#include "script_check/checks.h"
#include "script_check/code_page_1250.h"
#include "script_check/near_match.h"
#include "script_check/windows_names.h"
#include "uha/src/names.h"

namespace setup {

namespace {

// One entry of a section, with the keys its fields were read from.
class EntryPlace {
  public:
    EntryPlace(CheckContext& context, const EntrySectionKind& kind, int32_t number)
        : context_(context), kind_(kind), number_(std::to_string(number)) {}

    std::string section() const { return bracketed(kind_.name); }
    std::string name() const { return "entry " + number_ + " of " + section(); }
    std::string key_name(char letter) const { return letter ? number_ + letter : number_; }
    // The key of a field (letter 0 in [R]); nullptr when the entry has none.
    const KeyLine* key(char letter) const { return context_.key(kind_.name, key_name(letter)); }

    // At `offset` into the field's value; at the entry's first key when the field has none.
    void report(Severity severity, char letter, size_t offset, std::string message) const {
        if (const KeyLine* line = key(letter)) {
            context_.report_at(severity, *line, offset, std::move(message));
            return;
        }
        for (char other : kind_.letters) {
            if (const KeyLine* line = key(other)) {
                context_.report(severity, line->line, line->name_column, std::move(message));
                return;
            }
        }
        context_.report(severity, 0, 0, std::move(message));  // not reached: the entry has keys
    }

  private:
    CheckContext& context_;
    const EntrySectionKind& kind_;
    std::string number_;
};

bool names_uninstaller(std::string_view utf8_path) {
    return uha::fold_name(with_forward_slashes(utf8_path)) ==
           uha::fold_name(std::string(kUninstallerFile));
}

enum class Found { nothing, file, folder };

// What a shortcut or program may name: an item of the product, or the uninstaller that the
// installer writes beside it when it is on.
Found look_up(const EntryReferents& facts, std::string_view utf8_path) {
    if (facts.settings.CreateUninstaller && names_uninstaller(utf8_path)) return Found::file;
    const ProductItem* item = facts.product->find(utf8_path);
    return item == nullptr ? Found::nothing : item->folder ? Found::folder : Found::file;
}

// "; did you mean 'Dane\x.txt'?" for a name close to one in the same folder, else "".
std::string suggestion(const EntryReferents& facts, std::string_view utf8_path) {
    const auto meant =
        nearest(with_forward_slashes(utf8_path), facts.product->names_beside(utf8_path), 2);
    if (!meant) return "";
    std::string windows_name = *meant;
    for (char& c : windows_name)
        if (c == '/') c = '\\';
    return "; did you mean '" + windows_name + "'?";
}

// Hands the product's file that a found field names on, for the check of program kinds.
void note_named_file(const EntryPlace& entry, char letter, const EntryReferents& facts,
                     std::string_view utf8_path) {
    const ProductItem* item = facts.product->find(utf8_path);
    const KeyLine* key = entry.key(letter);
    if (item != nullptr && !item->folder && key != nullptr && facts.named_files != nullptr)
        facts.named_files->push_back({item, key});
}

std::string when_uninstaller_is_off(const EntryReferents& facts, std::string_view utf8_path) {
    if (facts.settings.CreateUninstaller || !names_uninstaller(utf8_path)) return "";
    return " (the uninstaller is off: key 4 in [I] is 0)";
}

// The placeholder works only in registry data; anywhere else it stays as written.
void check_no_placeholder(const EntryPlace& entry, char letter, std::string_view value) {
    const size_t at = PolishUpperCase(value).find(kTargetFolderPlaceholder);
    if (at == std::string::npos) return;
    entry.report(Severity::warning, letter, at,
                 "the placeholder " + std::string(kTargetFolderPlaceholder) +
                     " is replaced only in registry data (the e keys of [S]); in key " +
                     entry.key_name(letter) + " of " + entry.section() +
                     " the installer leaves it as written");
}

void check_caption(const EntryPlace& entry, std::string_view caption) {
    if (caption.empty()) {
        entry.report(Severity::error, 'a', 0,
                     entry.name() + " has no caption (key " + entry.key_name('a') +
                         "): its link file would be named '.lnk'; write the shortcut's name");
    } else if (auto problem = file_name_problem(caption)) {
        entry.report(Severity::error, 'a', problem->offset,
                     "the caption " + quoted(caption) + " cannot name a link file: it " +
                         problem->what + "; the installer would silently make no shortcut");
    }
    check_no_placeholder(entry, 'a', caption);
}

void check_target(const EntryPlace& entry, std::string_view target, const EntryReferents& facts) {
    if (target.empty()) {
        entry.report(Severity::error, 'b', 0,
                     entry.name() + " has no target (key " + entry.key_name('b') +
                         "): the shortcut would point at the target folder itself; write the "
                         "file it opens, relative to the product folder");
    } else if (facts.product != nullptr) {
        const std::string utf8 = cp1250_to_utf8(target);
        if (look_up(facts, utf8) == Found::nothing) {
            entry.report(Severity::error, 'b', 0,
                         "the target " + quoted(target) + " names nothing in the product folder" +
                             when_uninstaller_is_off(facts, utf8) + suggestion(facts, utf8));
        } else {
            note_named_file(entry, 'b', facts, utf8);
        }
    }
    check_no_placeholder(entry, 'b', target);
}

// The program part of an [R] entry as the installer finds it (launch_rules.h): the quoted
// program of the command line it builds for a stand-in target folder.
std::string program_of(std::string_view entry,
                       const std::function<bool(const std::string&)>& exists) {
    constexpr std::string_view kTarget = "T";
    const std::string line = launch_command_line(kTarget, entry, [&](const std::string& path) {
        return exists(path.substr(kTarget.size() + 1));
    });
    const size_t start = kTarget.size() + 2;  // after "\"T\"
    return line.substr(start, line.find('"', start) - start);
}

// The file Windows starts for `program`: ".exe" appended when its name has no extension.
std::string program_file(std::string_view program) {
    const size_t dot = program.find_last_of('.');
    const size_t separator = program.find_last_of("\\/");
    const bool has_extension =
        dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator);
    return has_extension ? std::string(program) : std::string(program) + ".exe";
}

bool is_program_file(std::string_view utf8_name) {
    const std::string extension = uha::extension_of(with_forward_slashes(utf8_name));
    return extension == "exe" || extension == "com" || extension == "bat" || extension == "cmd";
}

void check_program(const EntryPlace& entry, std::string_view command, const EntryReferents& facts) {
    if (command.empty()) {
        entry.report(Severity::error, 0, 0,
                     entry.name() +
                         " is empty: the installer would start the target folder itself; write "
                         "the program, relative to the product folder, and its arguments");
        return;
    }
    check_no_placeholder(entry, 0, command);
    if (facts.product == nullptr) return;
    const auto is_file = [&](const std::string& cp1250_path) {
        return look_up(facts, cp1250_to_utf8(cp1250_path)) == Found::file;
    };
    const std::string program = program_of(command, is_file);
    const std::string file = program_file(program);
    const std::string utf8 = cp1250_to_utf8(file);
    if (!is_file(file)) {
        entry.report(Severity::error, 0, 0,
                     "the program " + quoted(command) +
                         " names no file in the product folder: the installer looks for " +
                         quoted(file) + when_uninstaller_is_off(facts, utf8) +
                         suggestion(facts, utf8));
    } else if (!is_program_file(utf8)) {
        entry.report(Severity::error, 0, 0,
                     quoted(file) +
                         " is not a program: Windows starts only .exe, .com, .bat and .cmd files "
                         "this way, and the installer passes over the failure silently");
    } else {
        note_named_file(entry, 0, facts, utf8);
    }
}

// "is empty" or "'x' is not a number", for a code that is no integer.
std::string no_number(std::string_view code) {
    return code.empty() ? "is empty" : quoted(code) + " is not a number";
}

void check_root_code(const EntryPlace& entry, std::string_view code, RegistryRoot previous,
                     bool first) {
    const auto number = parse_integer_text(code);
    if (number && *number >= 0 && *number <= 4) return;
    const std::string effect =
        !number ? "the installer writes under HKEY_LOCAL_MACHINE"
        : first ? "the installer writes under HKEY_LOCAL_MACHINE, where it starts"
                : std::string("the installer keeps the root of the entry before, ") +
                      registry_root_name(previous);
    entry.report(
        Severity::warning, 'a', 0,
        "the root code " +
            (number ? std::to_string(*number) + " is not one of 0 to 4" : no_number(code)) + ": " +
            effect +
            "; write 0 (HKEY_LOCAL_MACHINE), 1 (HKEY_CURRENT_USER), 2 "
            "(HKEY_CLASSES_ROOT), 3 (HKEY_USERS) or 4 (HKEY_CURRENT_CONFIG)");
}

void check_type_code(const EntryPlace& entry, const RegistryEntry& value) {
    const auto type = parse_integer_text(value.RegistryTypeCode);
    const std::string fix = "; write 0 for text (REG_SZ) or 1 for a number (REG_DWORD)";
    if (!type) {
        entry.report(Severity::warning, 'd', 0,
                     "the type code " + no_number(value.RegistryTypeCode) +
                         ": the installer writes a text value (REG_SZ)" + fix);
    } else if (*type != 0 && *type != 1) {
        entry.report(Severity::warning, 'd', 0,
                     "the type code " + std::to_string(*type) +
                         " is neither 0 nor 1: the installer writes no value, only the key" + fix);
    } else if (*type == 1 && !parse_integer_text(value.RegistryData) &&
               PolishUpperCase(value.RegistryData).find(kTargetFolderPlaceholder) ==
                   std::string::npos) {
        entry.report(Severity::warning, 'e', 0,
                     "the data " + quoted(value.RegistryData) +
                         " is not a number: the installer writes it as text, though the type "
                         "code 1 asks for a number (REG_DWORD)");
    }
}

// A second placeholder, and near misses of it: both stay in the written data as they are.
void check_placeholders(const EntryPlace& entry, std::string_view data) {
    constexpr std::string_view placeholder = kTargetFolderPlaceholder;
    constexpr size_t kLongestNearMiss = 24;
    const std::string upper = PolishUpperCase(data);
    std::vector<size_t> exact;
    for (size_t at = upper.find(placeholder); at != std::string::npos;
         at = upper.find(placeholder, at + placeholder.size())) {
        exact.push_back(at);
    }
    if (exact.size() > 1) {
        entry.report(Severity::warning, 'e', exact[1],
                     "a second placeholder " + std::string(placeholder) +
                         " in one value: the installer replaces only the first, and this one "
                         "stays as written");
    }
    const auto overlaps_exact = [&](size_t from, size_t to) {
        for (size_t at : exact)
            if (from < at + placeholder.size() && at < to) return true;
        return false;
    };
    // A near miss starts at a "<", or at "FOLDER" when its "<" is missing.
    for (size_t i = 0; i < upper.size(); ++i) {
        const bool bracket = upper[i] == '<';
        if (!bracket && (upper.compare(i, 6, "FOLDER") != 0 || (i > 0 && upper[i - 1] == '<')))
            continue;
        const std::string_view wanted = bracket ? placeholder : placeholder.substr(1);
        const size_t close = upper.find('>', i + 1);
        const size_t end = close != std::string::npos && close - i < kLongestNearMiss
                               ? close + 1
                               : std::min(upper.size(), i + wanted.size());
        if (overlaps_exact(i, end) || edit_distance(upper.substr(i, end - i), wanted) > 3) continue;
        entry.report(Severity::warning, 'e', i,
                     quoted(data.substr(i, end - i)) +
                         " looks like the target-folder placeholder " + std::string(placeholder) +
                         " but is not it: the installer leaves it as written; write " +
                         std::string(placeholder));
        i = end - 1;
    }
}

void check_registry_entry(const EntryPlace& entry, const RegistryEntry& value,
                          RegistryRoot previous, bool first) {
    check_root_code(entry, value.RegistryRootCode, previous, first);
    if (value.RegistryKeyPath.empty()) {
        entry.report(Severity::warning, 'b', 0,
                     entry.name() + " has no key path (key " + entry.key_name('b') +
                         "): the value would go straight under the root; write the key's path");
    }
    check_type_code(entry, value);
    check_placeholders(entry, value.RegistryData);
    check_no_placeholder(entry, 'a', value.RegistryRootCode);
    check_no_placeholder(entry, 'b', value.RegistryKeyPath);
    check_no_placeholder(entry, 'c', value.RegistryValueName);
    check_no_placeholder(entry, 'd', value.RegistryTypeCode);
}

bool has_keys(const EntryCount& count, size_t index) {
    return count.has_keys[index + 1];
}

}  // namespace

void check_shortcuts(CheckContext& context, const EntrySectionKind& kind,
                     const std::vector<ShortcutEntry>& entries, const EntryCount& count,
                     const EntryReferents& facts) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!has_keys(count, i)) continue;  // reported with the count
        const EntryPlace entry(context, kind, static_cast<int32_t>(i + 1));
        check_caption(entry, entries[i].ShortcutCaption);
        check_target(entry, entries[i].ShortcutTarget, facts);
    }
}

void check_programs(CheckContext& context, const std::vector<std::string>& entries,
                    const EntryCount& count, const EntryReferents& facts) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!has_keys(count, i)) continue;
        check_program(EntryPlace(context, kProgramSection, static_cast<int32_t>(i + 1)), entries[i],
                      facts);
    }
}

void check_registry(CheckContext& context, const std::vector<RegistryEntry>& entries,
                    const EntryCount& count) {
    RegistryRoot root = RegistryRoot::local_machine;  // where the installer's phase starts
    for (size_t i = 0; i < entries.size(); ++i) {
        const RegistryRoot previous = root;
        root = select_root(entries[i].RegistryRootCode, previous);
        if (!has_keys(count, i)) continue;
        check_registry_entry(EntryPlace(context, kRegistrySection, static_cast<int32_t>(i + 1)),
                             entries[i], previous, i == 0);
    }
}

}  // namespace setup
