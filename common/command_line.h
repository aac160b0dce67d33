#pragma once
// The switches Setup.exe and Odinstaluj.exe take for working without questions, and the exit
// codes they return then. Without arguments both behave as they always did.
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace setup {

// The codes both programs end with when they were given arguments, for deployment tools; where
// Windows Installer has a code of the same meaning, it is that one, so that the tools that know
// those codes read ours.
enum class ExitCode : int {
    done = 0,
    bad_arguments = 87,        // ERROR_INVALID_PARAMETER
    archive_unusable = 1620,   // missing or damaged (ERROR_INSTALL_PACKAGE_INVALID)
    extraction_failed = 1603,  // ERROR_INSTALL_FAILURE
    later_step_failed = 1627,  // a link, a value, the record (ERROR_FUNCTION_FAILED)
    cancelled = 1602,          // ERROR_INSTALL_USEREXIT
    // The uninstaller's: it would not act (a program of the product still running, a folder it
    // must not empty, a damaged or untrusted record) (ERROR_INSTALL_PACKAGE_REJECTED).
    refused = 1625,
    // Done, but files in use go at the next start (ERROR_SUCCESS_REBOOT_REQUIRED).
    restart_needed = 3010,
    // A 64-bit product on 32-bit Windows (ERROR_INSTALL_PLATFORM_UNSUPPORTED).
    unsupported_platform = 1633,
    // A newer version of the product is installed (ERROR_PRODUCT_VERSION).
    newer_version_installed = 1638,
};

// Setup.exe's switches, case-insensitive, in any order, separated by blanks:
//   /S             no wizard and no message box      /P   the progress page only (/S wins)
//   /D=<folder>    the target folder: the rest of the command line, blanks included
//   /GROUP=<name>  the Start-menu group              /LOG=<file>  a log of every step
//   /RUN           start the script's programs after a silent installation
//   /FORCE         install also over a newer installed version
//   /?             a box listing the switches
// A value may be quoted ("/LOG=C:\a b\x.log" or /LOG="C:\a b\x.log"), except /D='s, which
// is taken as it stands.
struct SetupArguments {
    bool silent = false;
    bool passive = false;
    bool help = false;
    bool run_programs = false;
    bool force = false;  // install over a newer installed version
    std::optional<std::string> target = std::nullopt;
    std::optional<std::string> group = std::nullopt;
    std::optional<std::string> log = std::nullopt;
    bool operator==(const SetupArguments&) const = default;
};

// Why the arguments were refused, naming the switch; `silent` when /S was among the switches
// read, so that the refusal, too, shows no box.
struct ArgumentError {
    std::string message;
    bool silent = false;
    bool operator==(const ArgumentError&) const = default;
};

// What follows the program's name in a Windows command line (the name quoted or not),
// without the blanks before it.
std::string_view arguments_of(std::string_view command_line);

// An unknown switch, a switch given twice, an empty value, a value where none is taken or a
// text that is no switch is an ArgumentError.
std::variant<SetupArguments, ArgumentError> parse_setup_arguments(std::string_view arguments);

// Odinstaluj.exe's switches, split and refused by the same rules as Setup.exe's:
//   /S  no window and no message box   /LOG=<file>  a log of every step   /?  the list
struct UninstallArguments {
    bool silent = false;
    bool help = false;
    std::optional<std::string> log = std::nullopt;
    bool operator==(const UninstallArguments&) const = default;
};
std::variant<UninstallArguments, ArgumentError> parse_uninstall_arguments(
    std::string_view arguments);

// The text of Setup.exe's /? box.
std::string setup_switches_text();

}  // namespace setup
