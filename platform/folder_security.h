#pragma once
// The target folder's protection: the access list a folder made by the installer carries, and
// what a path names (a link or not) for the check before anything is unpacked.
#include <windows.h>

#include <string>

#include "install/target_folder.h"

namespace setup::platform {

// A self-relative security descriptor the system allocated (LocalAlloc); freed once.
class SecurityDescriptor {
  public:
    explicit SecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) : descriptor_(descriptor) {}
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;
    ~SecurityDescriptor() {
        if (descriptor_) LocalFree(descriptor_);
    }
    PSECURITY_DESCRIPTOR get() const { return descriptor_; }

  private:
    PSECURITY_DESCRIPTOR descriptor_;
};

// The access list of the system's program folder: SYSTEM and the administrators full
// control, the users read and execute, the creator of a file or folder inside full control
// of it; all inherited by what is made inside, and none inherited from above (protected), so
// that ordinary users cannot put programs there that the elevated installer then starts.
// Throws RuntimeError when the system cannot build it.
SecurityDescriptor program_folder_descriptor();

// One folder level (its parent must exist) carrying `descriptor`; throws RuntimeError naming
// the folder and the system's message.
void create_protected_folder(const std::string& path, const SecurityDescriptor& descriptor);

// Gives the existing folder at `path` the access list of `descriptor` in place of its own, not
// inherited from above; what it holds inherits it as the system propagates it. Throws
// RuntimeError naming the folder and the system's message.
void protect_existing_folder(const std::string& path, const SecurityDescriptor& descriptor);

// A reparse point (junction, symbolic link, mount point) is a link; a path whose attributes
// cannot be read because it or its parent does not exist is missing; anything else is
// present (a level that cannot be read is not made, and the extractor reports it).
PathKind path_kind(const std::string& path);

}  // namespace setup::platform
