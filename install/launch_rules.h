#pragma once
// The command line of a program the script starts after the installation, and the choice of
// the way it is started.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace setup {

// target + "\" + entry, with the program's path in double quotes, so that Windows never
// takes a prefix of a target folder with blanks ("C:\Program Files\...") for the program.
// Within the entry the program is found as Windows finds it in an unquoted command line: the
// shortest prefix ending before a blank (or the whole entry) that `file_exists` accepts as
// target + "\" + prefix, with ".exe" appended when the prefix has no extension; the first
// word when none does. An entry that quotes its program keeps that part. The arguments
// follow unchanged.
std::string launch_command_line(std::string_view target, std::string_view entry,
                                const std::function<bool(const std::string&)>& file_exists);

// What the desktop's shell is given to start a program: the file, which it takes apart from
// its arguments.
struct ShellStart {
    std::string file;
    std::string parameters;
    bool operator==(const ShellStart&) const = default;
};

// The quoted program of a launch_command_line line, with ".exe" appended when it has no
// extension as the direct start appends it, and the rest without its leading blanks. nullopt
// when the line does not start with a quoted path or the path names no program (.exe, .com):
// the shell would open a document with its application, where the direct start fails.
std::optional<ShellStart> shell_start_of(std::string_view command_line);

// How a program was started, for the installation's log: as the logged-in user (through the
// desktop's shell, or directly by an installer that is not elevated itself), elevated (the
// shell's way was not available), or not at all.
enum class LaunchRoute { as_user, elevated_fallback, failed };
struct LaunchReport {
    LaunchRoute route = LaunchRoute::failed;
    std::string reason;  // a short text saying why this route
};

// A way to start the program: nullopt once it has started, else why it did not.
using LaunchWay = std::function<std::optional<std::string>()>;

// An elevated installer tries the desktop's shell first, then the direct start; one that is
// not elevated starts the program directly, which already runs it as the user.
LaunchReport launch_by_route(bool elevated, const LaunchWay& through_shell,
                             const LaunchWay& directly);

}  // namespace setup
