#pragma once
// The start-up's rules that need no Windows: folder texts, the credit line's scrambling,
// the error box's text, and which system folders the installation uses.
#include <string>
#include <string_view>

#include "record/registry_root.h"
#include "script/setup_script.h"

namespace setup {

// The text with exactly one "\" appended when its last character is not one.
std::string with_trailing_backslash(std::string text);

// The folder part of a program's own path, up to and including its last "\", ending in "\".
std::string folder_of_module(std::string_view module_path);

// Reverses the bytes and complements each (b -> 255 - b). Its own inverse: the program keeps
// its credit line in this form, so the plain text is not a string in the executable.
std::string UnscrambleText(std::string_view text);

// The credit line shown on the welcome page, as stored (scrambled, 35 characters).
std::string_view stored_credit_text();

// The error box's text: the message, with a full stop appended when its last character's
// code (as a byte) is above that of the full stop.
std::string error_box_text(std::string message);

// What folder discovery asks of the system; replaced in tests.
class SystemQueries {
  public:
    enum class Root { local_machine, current_user };
    virtual ~SystemQueries() = default;
    // The text value in `view`, unexpanded; "" when the key cannot be opened for full access
    // or the value is missing. A value of a non-text type throws the runtime's registry error.
    virtual std::string registry_text(Root root, const std::string& key, const std::string& value,
                                      RegistryView view) = 0;
    // The shell's folder for a special-folder number; "" when the shell fails.
    virtual std::string special_folder(int csidl) = 0;
    virtual bool folder_exists(const std::string& path) = 0;
};

struct SystemFolders {
    std::string ProgramFilesDir;
    std::string ProgramsFolder;
    std::string DesktopFolder;
};

// All-users locations before the current user's, the registry before the shell, and
// "C:\" when Program Files is nowhere. Program Files is the one of `view`: a 32-bit program
// reads that of 32-bit programs in its own view on 64-bit Windows, "Program Files (x86)".
SystemFolders discover_folders(SystemQueries& system, RegistryView view = RegistryView::program);

// Why a product of `architecture` cannot be installed on this Windows; "" when it can.
std::string_view architecture_refusal(ProductArchitecture architecture, bool windows_is_64_bit);

}  // namespace setup
