#pragma once
// Steps that take things away, carried out on Windows: the installer's undo, the uninstaller
// and the private folders all remove here, through the ANSI API (paths and keys are CP1250).
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win_handle.h"
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

    // `trusted`: folders (the system's and the user's own) at and above which a level may be
    // a link, since only administrators or the system make links there; every other level on
    // the way to what a step removes must be no link.
    TakeBack(InUse in_use, std::vector<std::string> trusted)
        : in_use_(in_use), trusted_(std::move(trusted)) {}
    TakeBack(const TakeBack&) = delete;
    TakeBack& operator=(const TakeBack&) = delete;

    // Carries out one step. A thing already gone is `absent`, never a failure; a folder or
    // key that holds anything else is kept as `not_empty`; a failure's reason is the
    // system's message. A file or folder is reached only through folders that are no links
    // below the trusted ones (one that is fails the step: nothing behind it is touched), each
    // level held open against renaming and removal while the step acts, so that none can be
    // swapped for a link in between.
    takeback::Result apply(const takeback::Step& step);

  private:
    // Holds the folders above `path`, from its drive or share down; why the step cannot act
    // (a level is a link, missing or unreadable), or nothing when all are held.
    std::optional<takeback::Result> hold_levels(const std::string& path);
    takeback::Result delete_file(const std::string& path, const takeback::FileId& planned);
    takeback::Result remove_folder(const std::string& path);
    bool schedule(const std::string& path);
    bool holds_only_scheduled(const std::string& path) const;

    InUse in_use_;
    std::vector<std::string> trusted_;
    std::vector<std::string> scheduled_;
    // The folders held for the last file or folder step, from the top down.
    std::vector<std::pair<std::string, UniqueHandle>> held_;
};

// Empties and removes `folder` with tree_removal's steps, passing no link below its parent; true
// when it is gone (or, with remove_at_restart, goes at the next restart).
bool take_away_tree(const std::string& folder, TakeBack::InUse in_use);

}  // namespace setup::platform
