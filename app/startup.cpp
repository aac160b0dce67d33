#include "startup.h"

#include <chrono>

#include "error_box.h"
#include "files.h"
#include "globals.h"
#include "private_profile.h"
#include "runtime_error.h"

namespace setup {

namespace {

// A file just written and closed normally shows at the first check; this bounds a system
// that never lets it show.
constexpr auto kFileWait = std::chrono::seconds(5);

void window_content(TForm1& form, HMODULE module) {
    WindowContent content;
    content.credit = UnscrambleText(stored_credit_text());
    content.title = Product.ProductTitle;
    content.folder_name = Product.ProductFolderName;
    content.accent_color = Product.AccentColor;
    content.program_files = ProgramFilesDir;
    content.programs_folder = ProgramsFolder;
    content.module = module;
    form.fill_content(content);
}

void run_sequence(TForm1& form, SystemQueries& system, HMODULE module) {
    const std::string temp = with_trailing_backslash(platform::GetTempDirectory());
    ExtractorPath = temp + "Uha.exe";
    ScriptPath = temp + "Setup.ini";
    const std::string installer_folder = folder_of_module(platform::own_module_path());
    Plan = InstallPlan{};

    platform::SaveResourceToFile(module, "SETUP", ScriptPath);
    platform::wait_for_file(ScriptPath, kFileWait);
    platform::ProfileFile script(ScriptPath);
    Product = read_product_settings(script, installer_folder);
    if (!platform::file_exists(Product.ArchivePath)) {
        platform::delete_file(ScriptPath);
        platform::show_error_message("Nie ma pliku: " + Product.ArchivePath, "Błąd");
        ExitProcess(0);
    }
    Plan = read_install_plan(script);
    platform::delete_file(ScriptPath);

    const SystemFolders folders = discover_folders(system);
    ProgramFilesDir = folders.ProgramFilesDir;
    ProgramsFolder = folders.ProgramsFolder;
    DesktopFolder = folders.DesktopFolder;

    window_content(form, module);

    platform::SaveResourceToFile(module, "UHA", ExtractorPath);
    platform::wait_for_file(ExtractorPath, kFileWait);
}

}  // namespace

void FormCreate(TForm1& form, SystemQueries& system, HMODULE module) {
    try {
        run_sequence(form, system, module);
    } catch (const std::exception& e) {
        platform::show_error_box(e.what());
    }
}

}  // namespace setup
