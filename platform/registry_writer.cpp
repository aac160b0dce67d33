#include "platform/registry_writer.h"

#include "platform/error/runtime_error.h"
#include "platform/files.h"

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

REGSAM view_access(RegistryView view) {
    return view == RegistryView::x64 ? KEY_WOW64_64KEY : 0;
}

bool windows_is_64_bit() {
    if constexpr (sizeof(void*) == 8) {
        return true;
    } else {
        using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
        const auto is_wow64 = reinterpret_cast<IsWow64>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
        BOOL wow64 = FALSE;
        return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
    }
}

LONG delete_registry_key(HKEY root, const std::string& key, RegistryView view) {
    if (view == RegistryView::program) return RegDeleteKeyA(root, key.c_str());
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    const auto delete_key_ex = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    // Without it the system has one view only (32-bit Windows before Vista).
    if (!delete_key_ex) return RegDeleteKeyA(root, key.c_str());
    return delete_key_ex(root, key.c_str(), view_access(view), 0);
}

bool RegistryWriter::key_exists(const std::string& key) const {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_READ | view_access(view_), &opened) !=
        ERROR_SUCCESS)
        return false;
    const UniqueKey owned(opened);  // only its existence was asked
    return true;
}

bool RegistryWriter::open_key(const std::string& key) {
    key_.reset();
    key_path_ = key;
    const auto exists = [this](const std::string& level) { return key_exists(level); };
    const std::vector<std::string> missing = missing_key_levels(key, exists);
    HKEY opened = nullptr;
    const LONG status =
        RegCreateKeyExA(root_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | view_access(view_), nullptr, &opened, nullptr);
    // Noted only once made: a key that cannot be made leaves nothing to take back.
    if (status != ERROR_SUCCESS)
        throw RuntimeError(std::string("Nie można utworzyć klucza rejestru ") +
                           registry_root_name(root_id_) + "\\" + key + ": " +
                           system_message(static_cast<DWORD>(status)));
    key_ = UniqueKey(opened);
    if (ledger_)
        for (const std::string& level : missing)
            ledger_->keys_made.push_back({root_id_, level, view_});
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
    const std::string where = registry_root_name(root_id_) + ("\\" + key_path_) + "\\" + name;
    if (!key_)
        throw RuntimeError("Nie można zapisać wartości rejestru " + where +
                           ": klucz nie jest otwarty");
    if (ledger_)
        ledger_->values_written.push_back({{root_id_, key_path_, view_}, name, read_value(name)});
    const LONG status =
        RegSetValueExA(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    if (status != ERROR_SUCCESS)
        throw RuntimeError("Nie można zapisać wartości rejestru " + where + ": " +
                           system_message(static_cast<DWORD>(status)));
}

}  // namespace setup::platform
