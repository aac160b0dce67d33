#pragma once
// Programs that run from files in the target folder keep those files in use.
#include <string>
#include <vector>

namespace setup::uninstall {

// The program files of the running processes (this one excepted) that lie in `folder`.
std::vector<std::string> programs_running_in(const std::string& folder);

}  // namespace setup::uninstall
