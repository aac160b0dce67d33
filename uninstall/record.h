#pragma once
// The uninstall record "uninstal.ini" that the installer leaves in the target folder: CP1250
// lines ending in CR LF, each a code letter, a number, a comma and unquoted fields, as
// record/uninstall_record.h defines them for both sides. Fields are not quoted, so a path
// may hold commas: a folder or file is everything between the first comma and the closing
// ",0", a key everything between the root and the last comma.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/registry_root.h"

namespace setup::uninstall {

struct Record {
    std::vector<std::string> folders;  // U lines, in record order, paths normalized
    std::vector<std::string> files;    // P lines, in record order, paths normalized
    std::vector<RegistryLine> registry;
    std::map<int, std::string> texts;  // A lines; a later line replaces an earlier one
    std::vector<std::string> notes;    // one per line that was skipped, naming it and why
};

// Lines longer than this are skipped: no path, key or text of the installer comes near it.
inline constexpr size_t kMaxRecordLine = 4096;

// Reads every sound line and skips the others with a note. A line is unsound when its code is
// unknown, its number is not the one the installer writes, a field is empty, a path is no
// sound full local path (see path_flaw), it holds control characters, it is too long, or it is the
// last line and lacks its line end (a truncated record). Never throws on any input.
Record parse_record(std::string_view bytes);

// The product's uninstall key (HKEY_LOCAL_MACHINE, below kUninstallKeysParent, the value
// name empty): the record's first registry line, where the installer writes it in every
// record; nullopt when that line is no such key.
std::optional<RegistryLine> product_key(const Record& record);

}  // namespace setup::uninstall
