#pragma once
// Drives the installer's wizard as a user does (Windows only).
#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/window_driver.h"

namespace testing_support {

// The wizard's control `name` (as the window layout names it).
HWND wizard_control(HWND form, const char* name);

// Copies the installer `program` into `folder`\Pobrane with `archive` (when given) beside it as
// data.uha and starts it with `arguments` after its quoted path, `folder`\tmp as its temporary
// and current folder and the environment overrides; false when it could not be copied.
bool run_installer(std::unique_ptr<RunningProgram>& running, const std::filesystem::path& folder,
                   const std::string& program, const std::optional<std::string>& archive,
                   const std::string& arguments,
                   const std::vector<std::string>& env_overrides = {});

// Copies the installer `program` into `folder`\Pobrane with `archive` beside it as data.uha
// and starts it with `folder`\tmp as its temporary and current folder (and the environment
// overrides, NAME=value, and the command line's `arguments`); returns the wizard window,
// nullptr when none showed.
HWND start_installer(std::unique_ptr<RunningProgram>& running, const std::filesystem::path& folder,
                     const std::string& program, const std::string& archive,
                     const std::vector<std::string>& env_overrides = {},
                     const std::string& arguments = "");

// From the welcome page to the summary, with this target folder and, unless empty, this
// Start-menu group typed in.
void walk_to_summary(HWND form, const std::string& target, const std::string& group = "");

// Confirms the summary. Posted: the click returns only when the installation has ended.
void confirm_summary(HWND form);

}  // namespace testing_support
