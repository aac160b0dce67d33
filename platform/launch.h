#pragma once
// Starting a program after the installation.
#include <string>

namespace setup::platform {

// Starts `command_line` shown normally, inheriting no handles, and waits at most 1 s for it
// to be idle, 10 s for it to end and 10 s for its primary thread; a program still running
// then runs on. A program that cannot be started is passed over without a word.
void LaunchProgram(const std::string& command_line);

}  // namespace setup::platform
