#include "install/startup_rules.h"

namespace setup {

namespace {

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr int kCommonDesktop = 16;  // CSIDL_COMMON_DESKTOPDIRECTORY
constexpr int kDesktop = 0;         // CSIDL_DESKTOP
constexpr int kPrograms = 2;        // CSIDL_PROGRAMS

// "Setup - mały instalator dla Windows" (CP1250), scrambled.
constexpr char kStoredCredit[] =
    "\x8C\x88\x90\x9B\x91\x96\xA8\xDF\x9E\x93\x9B\xDF\x8D\x90\x8B\x9E\x93\x9E\x8B\x8C\x91\x96"
    "\xDF\x86\x4C\x9E\x92\xDF\xD2\xDF\x8F\x8A\x8B\x9A\xAC";

}  // namespace

std::string with_trailing_backslash(std::string text) {
    if (text.empty() || text.back() != '\\') text += '\\';
    return text;
}

std::string folder_of_module(std::string_view module_path) {
    size_t slash = module_path.rfind('\\');
    std::string folder(slash == std::string_view::npos ? std::string_view()
                                                       : module_path.substr(0, slash + 1));
    return with_trailing_backslash(std::move(folder));
}

std::string UnscrambleText(std::string_view text) {
    std::string out(text.rbegin(), text.rend());
    for (char& c : out) c = static_cast<char>(255 - static_cast<unsigned char>(c));
    return out;
}

std::string_view stored_credit_text() {
    return {kStoredCredit, sizeof kStoredCredit - 1};
}

std::string error_box_text(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

std::string_view architecture_refusal(ProductArchitecture architecture, bool windows_is_64_bit) {
    if (architecture == ProductArchitecture::x64 && !windows_is_64_bit)
        return "Ten program wymaga 64-bitowej wersji systemu Windows.";
    return "";
}

SystemFolders discover_folders(SystemQueries& system, RegistryView view) {
    using Root = SystemQueries::Root;
    SystemFolders f;
    f.ProgramFilesDir =
        system.registry_text(Root::local_machine, kCurrentVersion, "ProgramFilesDir", view);
    f.ProgramsFolder = system.registry_text(Root::local_machine, kShellFolders, "Common Programs",
                                            RegistryView::program);
    if (!system.folder_exists(f.ProgramsFolder))
        f.ProgramsFolder = system.registry_text(Root::current_user, kShellFolders, "Programs",
                                                RegistryView::program);
    f.DesktopFolder = system.registry_text(Root::local_machine, kShellFolders, "Common Desktop",
                                           RegistryView::program);
    if (!system.folder_exists(f.DesktopFolder))
        f.DesktopFolder = system.registry_text(Root::current_user, kShellFolders, "Desktop",
                                               RegistryView::program);
    if (!system.folder_exists(f.DesktopFolder))
        f.DesktopFolder = system.special_folder(kCommonDesktop);
    // The last fallbacks are taken as the shell gives them.
    if (!system.folder_exists(f.DesktopFolder)) f.DesktopFolder = system.special_folder(kDesktop);
    if (!system.folder_exists(f.ProgramsFolder))
        f.ProgramsFolder = system.special_folder(kPrograms);
    if (!system.folder_exists(f.ProgramFilesDir)) f.ProgramFilesDir = "C:\\";
    return f;
}

}  // namespace setup
