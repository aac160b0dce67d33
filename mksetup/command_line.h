#pragma once
// mksetup's command line: a command, then its arguments and switches in any order.
#include <stdexcept>
#include <string>
#include <vector>

#include "uha/src/codec.h"

namespace mksetup {

// A command line that asks for nothing this program does; the message says what is wrong.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class Command { help, version, build, check, inspect, init };

struct Options {
    Command command = Command::help;
    std::string script;       // build, check
    std::string product;      // build, check (optional), init
    std::string installer;    // inspect
    std::string save_folder;  // inspect: where to save what the installer carries
    std::string out_folder = ".";
    std::string header, banner;  // JPEG files; empty: the stub's own
    std::string stub;            // empty: the one that came with this program
    std::string sign_command;    // with {in} and {out}; empty: no signing
    uha::Level level;            // -m9e unless told
    unsigned threads = 0;        // 0: one per processor
    bool quiet = false;
    bool warnings_are_errors = false;
};

// The arguments after the program's name. Throws UsageError.
Options parse_options(const std::vector<std::string>& args);

const char* usage_text();

}  // namespace mksetup
