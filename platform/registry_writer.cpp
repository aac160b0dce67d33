#include "platform/registry_writer.h"

#include "platform/error/runtime_error.h"

namespace setup::platform {

HKEY root_key(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::classes_root:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::current_user:
            return HKEY_CURRENT_USER;
        case RegistryRoot::users:
            return HKEY_USERS;
        case RegistryRoot::current_config:
            return HKEY_CURRENT_CONFIG;
        case RegistryRoot::local_machine:
            break;
    }
    return HKEY_LOCAL_MACHINE;
}

bool RegistryWriter::key_exists(const std::string& key) const {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    const UniqueKey owned(opened);  // only its existence was asked
    return true;
}

bool RegistryWriter::open_key(const std::string& key) {
    key_.reset();
    key_path_ = key;
    const auto exists = [this](const std::string& level) { return key_exists(level); };
    const std::vector<std::string> missing = missing_key_levels(key, exists);
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &opened, nullptr) == ERROR_SUCCESS)
        key_ = UniqueKey(opened);
    // Noted only once made: a key that cannot be made leaves nothing to take back.
    if (ledger_ && key_)
        for (const std::string& level : missing) ledger_->keys_made.push_back({root_id_, level});
    return !missing.empty();
}

void RegistryWriter::write_text(const std::string& name, const std::string& data) {
    write(name, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
}

void RegistryWriter::write_integer(const std::string& name, int32_t value) {
    write(name, REG_DWORD, &value, sizeof value);
}

std::optional<PreviousValue> RegistryWriter::read_value(const std::string& name) const {
    if (!key_) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    PreviousValue value{type, std::vector<uint8_t>(size)};
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.type = type;
    value.data.resize(size);
    return value;
}

void RegistryWriter::write(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (ledger_ && key_)
        ledger_->values_written.push_back({{root_id_, key_path_}, name, read_value(name)});
    if (!key_ || RegSetValueExA(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                size) != ERROR_SUCCESS) {
        std::string message = "Failed to set data for '";
        message += name;
        message += '\'';
        throw RuntimeError(message);
    }
}

}  // namespace setup::platform
