#pragma once
// The registry roots as the uninstall record numbers them, and the record's registry line.
#include <string>
#include <string_view>

namespace setup {

// A registry root; its value is the number that names it in the uninstall record (the setup
// script numbers roots otherwise).
enum class RegistryRoot {
    classes_root = 0,
    current_user = 1,
    local_machine = 2,
    users = 3,
    current_config = 5
};

// Which of the registry's two views on 64-bit Windows a key lies in; its value is the number
// of the record's J line. `program` is the view the 32-bit programs get by default (where
// keys below HKLM\Software lie under WOW6432Node on 64-bit Windows), the only one before
// products could be 64-bit; `x64` is the 64-bit programs' view. On 32-bit Windows both are
// the one registry.
enum class RegistryView { program = 0, x64 = 64 };

// A registry key, or a value in it: what a record's J line names.
struct RegistryLine {
    RegistryRoot root = RegistryRoot::local_machine;
    std::string key;    // relative to the root
    std::string value;  // "" for the key itself
    RegistryView view = RegistryView::program;
    bool operator==(const RegistryLine&) const = default;
};

// "HKEY_LOCAL_MACHINE" and the like, for messages.
const char* registry_root_name(RegistryRoot root);

// "J0,{root's number},{key},{value}" ("J64,..." in the 64-bit view); the key line of a created
// key has an empty value name.
std::string registry_record_line(RegistryRoot root, std::string_view key_path,
                                 std::string_view value_name,
                                 RegistryView view = RegistryView::program);

}  // namespace setup
