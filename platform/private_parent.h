#pragma once
// Where the elevated programs make their private folders: a shared folder in which ordinary
// users may make entries but neither rename nor delete others'. The user's own temporary
// folder is not one: the user owns it, and so may rename any entry of it.
#include <string>

#include "platform/error/runtime_error.h"

namespace setup::platform {

// A shared folder that cannot be found, made or protected; `folder()` names it.
class SharedFolderError : public SystemError {
  public:
    SharedFolderError(std::string folder, const std::string& what_failed, std::string reason)
        : SystemError(what_failed, std::move(reason)), folder_(std::move(folder)) {}
    const std::string& folder() const { return folder_; }

  private:
    std::string folder_;
};

struct PrivateParent {
    std::string path;
    // For the log: why the Windows folder's Temp was not taken, and whether the folder taken
    // instead carries the list it was given; empty when the Windows folder's Temp passed.
    std::string note;
};

// The Windows folder's Temp when its owner and access list pass others_may_rename_in; else
// "Setup" under the system's program data, made with an access list for the administrators
// and SYSTEM only, or given that list (and the administrators as owner) when it was there
// with another. A system that does not keep the list it was given (FAT; Wine keeps none)
// cannot be protected by one: the folder is then taken as it is, and the note says so.
// Throws SharedFolderError when the folder is not a folder or its list cannot be set.
PrivateParent private_folder_parent();

}  // namespace setup::platform
