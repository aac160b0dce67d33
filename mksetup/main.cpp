// mksetup: makes an installer (Setup.exe and its archive) from a setup script and a product
// folder, by stamping a prebuilt Setup.exe; runs on Linux and on Windows alike.
#include <cstdio>
#include <new>
#include <string>

#include "mksetup/build_installer.h"
#include "mksetup/command_line.h"
#include "mksetup/host_files.h"
#include "mksetup/installer_contents.h"
#include "mksetup/messages.h"
#include "mksetup/stub.h"
#include "uha/src/output.h"

namespace {

using namespace mksetup;

constexpr int kDone = 0, kFailed = 1, kBadUsage = 2;

int run(const Options& options, const Console& console) {
    switch (options.command) {
        case Command::help:
            std::fputs(usage_text(), console.out);
            return kDone;
        case Command::version:
            print_line(console.out, "mksetup, stub version " + std::string(kStubVersion));
            return kDone;
        case Command::check:
            return check_only(options, console) ? kDone : kFailed;
        case Command::build:
            build_installer(options, console);
            return kDone;
        case Command::inspect:
            inspect_installer(options, console);
            return kDone;
        case Command::init:
            print_starting_script(options, console);
            return kDone;
    }
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    Console console;
    console.terminal = stderr_is_terminal();
    try {
        return run(parse_options(uha::program_arguments(argc, argv)), console);
    } catch (const UsageError& e) {
        print_line(stderr, std::string("mksetup: error: ") + e.what() +
                               " (mksetup --help shows the usage)");
        return kBadUsage;
    } catch (const std::bad_alloc&) {
        print_line(stderr, "mksetup: error: out of memory");
    } catch (const std::exception& e) {
        print_line(stderr, std::string("mksetup: error: ") + e.what());
    }
    return kFailed;
}
