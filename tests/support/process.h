#pragma once
// Runs a program and collects its standard output, as the installer will: output through a
// pipe, and the program's standard input an open pipe that nobody writes to.
#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
    int exit_code = -1;
    std::string output;  // raw bytes, in the program's own encoding
};

struct ProcessOptions {
    unsigned long file_size_limit = 0;  // Linux only: RLIMIT_FSIZE in bytes, 0 for none
    bool with_errors = false;           // the program's standard error joins its output
};

// args are UTF-8; the program is a path as test_program_path() gives it.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options = {});

// A build-time path of a program, made usable on this system (Z:\... under Wine).
std::string test_program_path(const std::string& build_path);

}  // namespace testing_support
