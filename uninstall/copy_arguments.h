#pragma once
// The uninstaller cannot delete its own running file, so the program the user starts copies
// itself to the temporary folder and starts the copy with this command line:
//   "<copy>" /kopia <handle> "<original program>"
// <handle> is the decimal value of an inherited handle to the original's process, which the
// copy waits on before it touches the target folder.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setup::uninstall {

struct CopyArguments {
    std::uintptr_t original_process = 0;
    std::string original_program;
};

std::string copy_command_line(const std::string& copy, const CopyArguments& arguments);

// The arguments of a full command line (the program's own name first, as the system gives
// it); nullopt when it is not the copy's command line, as for the program the user starts.
std::optional<CopyArguments> parse_copy_command_line(std::string_view command_line);

}  // namespace setup::uninstall
