#pragma once
// The plan's steps carried out on the file system and the registry, through the ANSI API
// (the record's paths and keys are CP1250 texts).
#include <string>
#include <vector>

#include "uninstall/removal_plan.h"
#include "uninstall/report.h"

namespace setup::uninstall {

// Everything below `folder`, links (reparse points) listed but not entered.
std::vector<TreeEntry> list_tree(const std::string& folder);

class Remover {
  public:
    // Carries out one step; `reason` names the system's error when the outcome is failed.
    // A file in use is scheduled for removal at the next restart, and so is a folder that
    // holds only what is scheduled.
    Outcome run(const Step& step, std::string& reason);

  private:
    Outcome delete_file(const std::string& path, std::string& reason);
    Outcome remove_folder(const std::string& path, std::string& reason);
    bool schedule(const std::string& path);
    bool holds_only_scheduled(const std::string& path) const;

    std::vector<std::string> scheduled_;
};

}  // namespace setup::uninstall
