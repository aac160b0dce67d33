#pragma once
// The installer's registry writes: one accessor whose root is chosen per entry, with at most
// one key open at a time.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "install/registry_rules.h"
#include "install/undo_ledger.h"
#include "platform/win_handle.h"

namespace setup::platform {

HKEY root_key(RegistryRoot root);

// The access flag that opens a key in `view`: KEY_WOW64_64KEY for the 64-bit view, none for
// the program's own.
REGSAM view_access(RegistryView view);

// Whether this Windows is 64-bit: always for a 64-bit program, for a 32-bit one when it runs
// under WOW64 (IsWow64Process, looked up at run time).
bool windows_is_64_bit();

// Deletes the empty key `key` of `root` in `view` (RegDeleteKeyExA where the system has it:
// RegDeleteKeyA knows only the program's own view); the system's status.
LONG delete_registry_key(HKEY root, const std::string& key, RegistryView view);

// With a ledger, it notes each key level it makes and each value it writes, with the value it
// replaces, so that a run that fails can take them back.
class RegistryWriter {
  public:
    RegistryWriter() = default;
    explicit RegistryWriter(UndoLedger* ledger) : ledger_(ledger) {}
    void set_root(RegistryRoot root, RegistryView view = RegistryView::program) {
        root_ = root_key(root);
        root_id_ = root;
        view_ = view;
    }
    // The key exists under the root; opened for reading only, so a key the user may not
    // change still counts as existing (and is never recorded as created).
    bool key_exists(const std::string& key) const;
    // Opens the key, creating every missing level; true when the key did not exist. Throws
    // RuntimeError "Nie można utworzyć klucza rejestru <root>\<key>: <the system's reason>".
    bool open_key(const std::string& key);
    // Throw RuntimeError "Nie można zapisać wartości rejestru <root>\<key>\<name>: <the
    // system's reason>" when the value cannot be written (or no key is open).
    void write_text(const std::string& name, const std::string& data);
    void write_integer(const std::string& name, int32_t value);
    // The open key's value `name` as it is now; nullopt when it has none (or no key is open).
    std::optional<PreviousValue> read_value(const std::string& name) const;
    void close_key() { key_.reset(); }

  private:
    void write(const std::string& name, DWORD type, const void* data, DWORD size);
    HKEY root_ = HKEY_LOCAL_MACHINE;
    RegistryRoot root_id_ = RegistryRoot::local_machine;
    RegistryView view_ = RegistryView::program;
    UndoLedger* ledger_ = nullptr;  // not owned
    std::string key_path_;
    UniqueKey key_;
};

}  // namespace setup::platform
