#pragma once
// The command line of a program the script starts after the installation.
#include <functional>
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

}  // namespace setup
