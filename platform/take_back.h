#pragma once
// Steps that take things away, carried out on Windows: the installer's undo, the uninstaller
// and the private folders all remove here, through the ANSI API (paths and keys are CP1250).
#include <string>
#include <vector>

#include "takeback/step.h"

namespace setup::platform {

// Everything below `folder`, a folder before what it holds; links (reparse points) are listed
// but not entered.
std::vector<takeback::TreeEntry> list_tree(const std::string& folder);

class TakeBack {
  public:
    // What becomes of a file in use, and of a folder that then holds only such files: a
    // failure, or removal by the system at the next restart.
    enum class InUse { fail, remove_at_restart };

    explicit TakeBack(InUse in_use) : in_use_(in_use) {}

    // Carries out one step. A thing already gone is `absent`, never a failure; a folder or
    // key that holds anything else is kept as `not_empty`; a failure's reason is the
    // system's message.
    takeback::Result apply(const takeback::Step& step);

  private:
    takeback::Result delete_file(const std::string& path);
    takeback::Result remove_folder(const std::string& path);
    bool schedule(const std::string& path);
    bool holds_only_scheduled(const std::string& path) const;

    InUse in_use_;
    std::vector<std::string> scheduled_;
};

// Empties and removes `folder` with tree_removal's steps; true when it is gone (or, with
// remove_at_restart, goes at the next restart).
bool take_away_tree(const std::string& folder, TakeBack::InUse in_use);

}  // namespace setup::platform
