#include "install/registry_rules.h"

#include "record/uninstall_record.h"

#include "script/integer_text.h"

namespace setup {

RegistryRoot select_root(std::string_view root_code, RegistryRoot previous) {
    const std::optional<int32_t> code = parse_integer_text(root_code);
    if (!code) return RegistryRoot::local_machine;
    switch (*code) {
        case 0:
            return RegistryRoot::local_machine;
        case 1:
            return RegistryRoot::current_user;
        case 2:
            return RegistryRoot::classes_root;
        case 3:
            return RegistryRoot::users;
        case 4:
            return RegistryRoot::current_config;
        default:
            return previous;
    }
}

ValueToWrite value_to_write(std::string_view type_code, std::string_view data) {
    const std::optional<int32_t> code = parse_integer_text(type_code);
    if (!code || *code == 0) return {};
    if (*code != 1) return {ValueToWrite::Kind::nothing};
    if (const std::optional<int32_t> n = parse_integer_text(data))
        return {ValueToWrite::Kind::integer, *n};
    return {};
}

std::string_view key_for_opening(std::string_view key_path) {
    if (key_path.starts_with('\\')) key_path.remove_prefix(1);
    return key_path;
}

}  // namespace setup
