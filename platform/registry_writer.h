#pragma once
// The installer's registry writes: one accessor whose root is chosen per entry, with at most
// one key open at a time.
#include <windows.h>

#include <cstdint>
#include <string>

#include "registry_rules.h"
#include "win_handle.h"

namespace setup::platform {

HKEY root_key(RegistryRoot root);

class RegistryWriter {
  public:
    void set_root(RegistryRoot root) { root_ = root_key(root); }
    // The key exists under the root; opened for reading only, so a key the user may not
    // change still counts as existing (and is never recorded as created).
    bool key_exists(const std::string& key) const;
    // Opens the key, creating every missing level. A key that cannot be opened shows at the
    // first write.
    void open_key(const std::string& key);
    // Throw RuntimeError "Failed to set data for '{name}'" when the value cannot be written.
    void write_text(const std::string& name, const std::string& data);
    void write_integer(const std::string& name, int32_t value);
    void close_key() { key_.reset(); }

  private:
    void write(const std::string& name, DWORD type, const void* data, DWORD size);
    HKEY root_ = HKEY_LOCAL_MACHINE;
    UniqueKey key_;
};

}  // namespace setup::platform
