#include "app/startup.h"

#include "app/failure_report.h"
#include "install/uninstall_entry.h"
#include "platform/error/runtime_error.h"
#include "platform/error_box.h"
#include "platform/files.h"
#include "platform/private_parent.h"
#include "platform/registry_writer.h"
#include "script/ini_reader.h"

namespace setup {

namespace {

void window_content(TForm1& form, HMODULE module, const InstallationState& state) {
    WindowContent content;
    content.credit = UnscrambleText(stored_credit_text());
    content.title = state.Product.ProductTitle;
    content.folder_name = state.Product.ProductFolderName;
    content.accent_color = state.Product.AccentColor;
    content.program_files = state.ProgramFilesDir;
    content.programs_folder = state.ProgramsFolder;
    content.module = module;
    form.fill_content(content);
}

Startup run_sequence(TForm1& form, SystemQueries& system, HMODULE module, InstallerFiles& files,
                     InstallationState& state) {
    const platform::PrivateParent parent = platform::private_folder_parent();
    files.folder.emplace(platform::PrivateFolder::create(parent.path, "Setup-"));
    state.Log.line("folder roboczy: " + files.folder->path() +
                   (parent.note.empty() ? "" : " (" + parent.note + ")"));
    const std::string installer_folder = folder_of_module(platform::own_module_path());
    state.Plan = InstallPlan{};

    // Read from the resource's bytes with the system profile reader's rules, never from a
    // file: a file, wherever it lay, could be swapped between its writing and its reading.
    const IniText script(platform::load_resource(module, "SETUP"));
    state.Product = read_product_settings(script, installer_folder);
    if (const std::string_view refusal =
            architecture_refusal(state.Product.Architecture, platform::windows_is_64_bit());
        !refusal.empty()) {
        report_failure(state, ExitCode::unsupported_platform, std::string(refusal));
        return Startup::failed;
    }
    if (!platform::file_exists(state.Product.ArchivePath)) {
        report_failure(state, ExitCode::archive_unusable,
                       "Nie ma pliku: " + state.Product.ArchivePath, "Błąd");
        return Startup::stopped;
    }
    state.Plan = read_install_plan(script);

    const SystemFolders folders =
        discover_folders(system, product_view(state.Product.Architecture));
    state.ProgramFilesDir = folders.ProgramFilesDir;
    state.ProgramsFolder = folders.ProgramsFolder;
    state.DesktopFolder = folders.DesktopFolder;
    state.Log.line("Program Files: " + state.ProgramFilesDir +
                   "; Programy: " + state.ProgramsFolder + "; Pulpit: " + state.DesktopFolder);

    window_content(form, module, state);

    files.extractor = platform::ExtractorFile::write(files.folder->file("Uha.exe"),
                                                     platform::load_resource(module, "UHA"));
    return Startup::ready;
}

}  // namespace

Startup FormCreate(TForm1& form, SystemQueries& system, HMODULE module, InstallerFiles& files,
                   InstallationState& state) {
    try {
        return run_sequence(form, system, module, files, state);
    } catch (const std::exception& e) {
        // Without its extractor in place the installation cannot unpack anything.
        report_failure(state, ExitCode::extraction_failed, e.what());
        return Startup::failed;
    }
}

}  // namespace setup
