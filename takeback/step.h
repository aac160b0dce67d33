#pragma once
// What is taken away again, as data: the installer's undo and the uninstaller's plan are both
// lists of these steps, and one applier carries them out. A step never decides whether a
// thing is the installation's: the plan that made the list has done that.
#include <cstdint>
#include <string>
#include <vector>

#include "record/registry_root.h"

namespace setup::takeback {

// A registry value as it was before a run wrote over it: its type and its bytes.
struct PreviousValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool operator==(const PreviousValue&) const = default;
};

// A file as the system tells it apart from every other: its volume and its index there.
// Unknown (both zero) where the file was not looked at, as for a path from a record.
struct FileId {
    uint32_t volume = 0;
    uint64_t index = 0;
    bool known() const { return volume != 0 || index != 0; }
    bool operator==(const FileId&) const = default;
};

enum class Action {
    delete_file,    // read-only ones too
    remove_folder,  // only when empty; a link (reparse point) is removed, never entered
    delete_value,
    restore_value,  // writes `previous` back
    delete_key,     // only when it holds no values and no keys
};

struct Step {
    Action action = Action::delete_file;
    std::string path;       // the file or the folder
    RegistryLine registry;  // the value, or the key (value "")
    PreviousValue previous;
    // delete_file: the file planned, when known; a file of another ID under the path (swapped
    // in after the plan was made) is left alone.
    FileId file;
    bool operator==(const Step&) const = default;
};

enum class Outcome {
    removed,    // also: put back, for restore_value
    absent,     // already gone: nothing to do
    not_empty,  // a folder or key that holds what the steps did not make: kept
    scheduled,  // in use: the system removes it at the next restart
    failed,
};

struct Result {
    Outcome outcome = Outcome::removed;
    std::string reason;  // the system's message, for failed (and for not_empty, when known)
};

// One thing found below a folder.
struct TreeEntry {
    std::string relative;  // below the folder, "\"-separated
    bool folder = false;
    bool link = false;             // a reparse point: never entered
    std::uint64_t write_time = 0;  // in the system's file-time units
    FileId file;                   // files only, when the listing could read it
};

// The steps that empty and remove `folder`, given everything below it in the order a
// depth-first listing gives (a folder before what it holds): what is deepest goes first, and
// the folder itself last. A link is removed as what it is, never followed.
std::vector<Step> tree_removal(const std::string& folder, const std::vector<TreeEntry>& tree);

}  // namespace setup::takeback
