#include "startup.h"

#include "error_box.h"
#include "files.h"
#include "globals.h"
#include "private_profile.h"
#include "runtime_error.h"

namespace setup {

namespace {

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

Startup run_sequence(TForm1& form, SystemQueries& system, HMODULE module, InstallerFiles& files) {
    files.folder.emplace(platform::PrivateFolder::create(platform::GetTempDirectory(), "Setup-"));
    ExtractorPath = files.folder->file("Uha.exe");
    ScriptPath = files.folder->file("Setup.ini");
    const std::string installer_folder = folder_of_module(platform::own_module_path());
    Plan = InstallPlan{};

    // Read through the system's profile reader, as always, so that the installer reads the
    // values it always read; the file is in the private folder and deleted right after.
    platform::write_held_file(ScriptPath, platform::load_resource(module, "SETUP"));
    platform::ProfileFile script(ScriptPath);
    Product = read_product_settings(script, installer_folder);
    if (!platform::file_exists(Product.ArchivePath)) {
        platform::delete_file(ScriptPath);
        platform::show_error_message("Nie ma pliku: " + Product.ArchivePath, "Błąd");
        return Startup::stopped;
    }
    Plan = read_install_plan(script);
    platform::delete_file(ScriptPath);

    const SystemFolders folders = discover_folders(system);
    ProgramFilesDir = folders.ProgramFilesDir;
    ProgramsFolder = folders.ProgramsFolder;
    DesktopFolder = folders.DesktopFolder;

    window_content(form, module);

    files.extractor =
        platform::write_held_file(ExtractorPath, platform::load_resource(module, "UHA"));
    return Startup::ready;
}

}  // namespace

Startup FormCreate(TForm1& form, SystemQueries& system, HMODULE module, InstallerFiles& files) {
    try {
        return run_sequence(form, system, module, files);
    } catch (const std::exception& e) {
        platform::show_error_box(e.what());
        return Startup::failed;
    }
}

}  // namespace setup
