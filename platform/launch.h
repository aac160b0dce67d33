#pragma once
// Starting a program after the installation.
#include <functional>
#include <optional>
#include <string>

#include "install/launch_rules.h"

namespace setup::platform {

// Starts `command_line` (as launch_command_line makes it) in `folder`. An elevated installer
// asks the desktop's shell to start it, so that it runs as the logged-in user and not with
// the installer's rights; where that is not possible (no desktop window, a shell that is
// elevated itself, a step of the shell's interfaces missing, a document rather than a
// program) it is started directly: shown normally, inheriting no handles, with waits of at
// most 1 s for it to be idle, 10 s for it to end and 10 s for its primary thread, `pump`
// answering the window's messages during the last two; a program still running then runs
// on. The shell's start does not wait. The report says which way was taken and why; the
// installation passes over a program that could not be started without a word.
LaunchReport LaunchProgram(const std::string& command_line, const std::string& folder,
                           const std::function<void()>& pump);

// The desktop shell's own start of `start` in `folder` (its window found through
// IShellWindows, then its browser, view, folder view and IShellDispatch2::ShellExecute),
// without the checks LaunchProgram makes first. nullopt once the shell has taken it, else the
// step that failed. Needs COM on the calling thread.
std::optional<std::string> start_through_desktop_shell(const ShellStart& start,
                                                       const std::string& folder);

}  // namespace setup::platform
