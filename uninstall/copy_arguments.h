#pragma once
// The uninstaller cannot delete its own running file, so the program the user starts copies
// itself to the temporary folder and starts the copy with this command line:
//   "<copy>" /kopia <handle> "<original program>" [/S] ["/LOG=<file>"] [/WYNIK=<pipe>]
// <handle> is the decimal value of an inherited handle to the original's process, which the
// copy waits on before it touches what holds the original's file. The switches the user gave
// follow (the log's path made full, since the copy runs from the temporary folder), and, when
// the original waits for the result, /WYNIK= with the decimal value of an inherited pipe's
// write end that the copy writes its exit code into.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setup::uninstall {

struct CopyArguments {
    std::uintptr_t original_process = 0;
    std::string original_program;
    bool silent = false;
    std::string log;                 // "" for none
    std::uintptr_t result_pipe = 0;  // 0 for none
    bool operator==(const CopyArguments&) const = default;
};

std::string copy_command_line(const std::string& copy, const CopyArguments& arguments);

// The arguments of a full command line (the program's own name first, as the system gives
// it); nullopt when it is not the copy's command line, as for the program the user starts,
// or when anything in it is not as copy_command_line writes it.
std::optional<CopyArguments> parse_copy_command_line(std::string_view command_line);

}  // namespace setup::uninstall
