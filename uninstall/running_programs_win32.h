#pragma once
// Programs that run from files in the target folder keep those files in use.
#include <string>
#include <vector>

namespace setup::uninstall {

// The program files of the running processes that lie in `folder`, this process excepted and
// those running `also_excepted` ("" for none: the uninstaller that waits for its copy, whose
// file is removed once it has ended).
std::vector<std::string> programs_running_in(const std::string& folder,
                                             const std::string& also_excepted = "");

}  // namespace setup::uninstall
