#pragma once
// A folder of this process's own under a shared one (see private_parent.h), for programs it
// writes and then starts elevated: a fresh folder of random name, never one that was there,
// open only to the administrators and SYSTEM, so that no other process of the user can put or
// change a file in it. Should the shared folder let the user rename its entries after all:
// the folder and every level above it are held open, sharing all but deletion, as long as
// the folder is this process's, so that none of them can be renamed and replaced.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/error/runtime_error.h"
#include "platform/win_handle.h"

namespace setup::platform {

// The private folder's access list: full control for the administrators and SYSTEM, handed
// down to what is made in it; nothing taken from the parent.
inline constexpr const char* kPrivateFolderAccess = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// `bytes` random bytes from the system's random source, as lowercase hexadecimal digits.
// Throws RuntimeError when the source fails.
std::string random_hex(size_t bytes);

class PrivateFolder {
  public:
    // Makes `parent`\`prefix`<16 hexadecimal digits> (`parent` with or without its trailing
    // backslash); a name that exists is never reused. Throws SystemError naming `parent` when
    // it cannot be made or held.
    static PrivateFolder create(const std::string& parent, const std::string& prefix);

    PrivateFolder(PrivateFolder&& other) noexcept
        : path_(std::exchange(other.path_, {})), held_(std::move(other.held_)) {}
    PrivateFolder& operator=(PrivateFolder&&) = delete;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    // Deletes the files in the folder, then the folder. A file still held open by anyone
    // without delete sharing keeps them there; they are then left to the next restart.
    ~PrivateFolder();

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "\\" + std::string(name); }
    // Gives the folder up: the destructor leaves it (for a process that removes it itself), and
    // it is held no more.
    void release() {
        path_.clear();
        held_.clear();
    }

  private:
    PrivateFolder(std::string path, std::vector<UniqueHandle> held)
        : path_(std::move(path)), held_(std::move(held)) {}
    std::string path_;
    std::vector<UniqueHandle> held_;  // the folder's levels, the drive's first
};

// Opens `path` for reading, sharing it for reading only: while the handle is open nobody can
// write, rename or delete the file, and programs can still read it or run from it. Throws
// SystemError naming the file when it cannot be opened (also while someone writes it).
UniqueHandle hold_for_reading(const std::string& path);

// Writes `bytes` to `path`, which must not exist (an existing file is never opened, let alone
// overwritten), and returns the file held as hold_for_reading holds it, after checking that
// it holds exactly `bytes`. Throws RuntimeError naming the file and the system's reason.
UniqueHandle write_held_file(const std::string& path, std::string_view bytes);

}  // namespace setup::platform
