#pragma once
// Programs that run from files in the target folder keep those files in use.
#include <string>
#include <vector>

namespace setup::uninstall {

// The program files of the running processes that lie in `folder`, this one and the process
// `also_excepted` (an id; 0 for none: the uninstaller that waits for its copy) excepted.
std::vector<std::string> programs_running_in(const std::string& folder,
                                             unsigned long also_excepted = 0);

}  // namespace setup::uninstall
