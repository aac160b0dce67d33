#pragma once
// How the setup script's registry entries are written and recorded: which root a root code
// selects, what a type code writes, and the record lines of the uninstaller.
#include <cstdint>
#include <string>
#include <string_view>

#include "record/registry_root.h"

namespace setup {

// The root for an entry's root code: 0 HKLM, 1 HKCU, 2 HKCR, 3 HKU, 4 HKCC; a text that is no
// integer HKLM; any other integer keeps `previous` (the phase starts from HKLM).
RegistryRoot select_root(std::string_view root_code, RegistryRoot previous);

// What an entry's type code writes with its expanded data.
struct ValueToWrite {
    enum class Kind { text, integer, nothing } kind = Kind::text;
    int32_t integer = 0;
};
// 0 and a text that is no integer: a string value; 1: a 32-bit integer value when the data is
// an integer text, else a string value; any other integer: nothing.
ValueToWrite value_to_write(std::string_view type_code, std::string_view data);

// The key path relative to its root: without one leading backslash.
std::string_view key_for_opening(std::string_view key_path);

}  // namespace setup
