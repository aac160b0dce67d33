#pragma once
// The command line: uha <command> [switches] <archive> [files and folders...]; for "a",
// "-C <folder>" among the inputs names the folder the inputs after it are read from.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "uha/src/codec.h"
#include "uha/src/error.h"
#include "uha/src/names.h"

namespace uha {

class UsageError : public Error {
  public:
    using Error::Error;
};

enum class Command { add, extract, list, test, help };

struct CommandLine {
    Command command = Command::help;
    std::string archive;
    std::vector<PackInput> inputs;  // uha a's, each with the -C folder in force
    std::string target = ".";
    bool overwrite = false;   // -o+
    bool assume_yes = false;  // -y+ (nothing is ever asked; accepted for the installer)
    Level level;
    uint64_t block_size = 0;  // 0: the default
    unsigned threads = 0;
};

CommandLine parse_command_line(const std::vector<std::string>& args);

// The arguments of a Windows command line after the program's name. Blanks and tabs separate
// them; a double quote starts or ends a quoted stretch and is dropped; a backslash is always
// itself. Windows file names hold no double quotes, so nothing needs escaping, and a quoted
// folder ending in a backslash ("-t"C:\Gry\"") stays one argument, as the installer writes it.
std::vector<std::string> split_command_line(std::string_view line);
const char* usage_text();

}  // namespace uha
