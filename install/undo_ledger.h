#pragma once
// What one installation run made, noted as it makes it, so that a cancelled or failed run can
// take it away again and leave the machine as it found it. Only what did not exist before the
// run is noted as made: a file the archive writes over is noted apart, for the log, and kept;
// a registry value written over is put back as it was. The undo runs in the reverse of the
// making: values, then keys, files and folders, the latest (so the deepest) first.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "install/registry_rules.h"
#include "install/target_folder.h"
#include "takeback/step.h"

namespace setup {

using takeback::PreviousValue;

struct UndoLedger {
    std::vector<std::string> folders_made;    // parents before their children
    std::vector<std::string> files_made;      // none of them existed before the run
    std::vector<std::string> files_replaced;  // existed before and may be written over: kept
    struct Key {
        RegistryRoot root = RegistryRoot::local_machine;
        std::string path;  // relative to the root
        RegistryView view = RegistryView::program;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> keys_made;  // parents before their children
    struct Value {
        Key key;
        std::string name;
        std::optional<PreviousValue> previous;  // nullopt: it did not exist
        bool operator==(const Value&) const = default;
    };
    std::vector<Value> values_written;
};

// What lies at a path, asked before anything is made there.
using PathKindOf = std::function<PathKind(const std::string&)>;

// A path the archive holds, relative to the target folder, with "\" between its components.
struct ArchivedPath {
    std::string relative;
    bool folder = false;
};

// Notes what extracting `paths` into `target` (which exists) will make: each folder on the
// way to an entry, and each folder entry, that does not exist yet, and each file entry that
// does not; a file entry that exists is noted as replaced. A folder is noted once, whatever
// the letter case its entries spell it in; nothing below a missing folder is asked about.
// `between`, when given, runs after every kNotedBetween entries (the window answers while a
// table of millions of entries is asked about).
inline constexpr size_t kNotedBetween = 1024;
void note_extraction(UndoLedger& ledger, const std::string& target,
                     const std::vector<ArchivedPath>& paths, const PathKindOf& kind_of,
                     const std::function<void()>& between = {});

// Notes the levels of `folder` (a full path) that do not exist, before something makes them.
void note_folder_levels(UndoLedger& ledger, const std::string& folder, const PathKindOf& kind_of);

// Notes `file` as made when nothing is there yet.
void note_file(UndoLedger& ledger, const std::string& file, const PathKindOf& kind_of);

// The levels of `key` (relative to its root) that `exists` says are missing, top-down: none
// when the key exists, the key itself last otherwise. The writer notes them once it has made
// the key.
std::vector<std::string> missing_key_levels(const std::string& key,
                                            const std::function<bool(const std::string&)>& exists);

// The step for the log: "usunięcie pliku C:\\Gra\\a.txt", "przywrócenie wartości
// J0,1,Software\\Gra,Nazwa".
std::string undo_step_text(const takeback::Step& step);

// The steps that take back what `ledger` says the run made, in the order they are taken. A
// thing that is no longer there is no failure: the run may have ended before making it.
std::vector<takeback::Step> undo_steps(const UndoLedger& ledger);

}  // namespace setup
