#include "app/startup.h"

#include "app/failure_report.h"
#include "app/vouched_file.h"
#include "install/installed_product.h"
#include "install/uninstall_entry.h"
#include "platform/error/runtime_error.h"
#include "platform/error_box.h"
#include "platform/files.h"
#include "platform/private_parent.h"
#include "platform/registry_writer.h"
#include "platform/system_queries.h"
#include "record/uninstall_record.h"
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

// The text value `name` of the product's uninstall key in its view; "" when missing or no text.
std::string entry_text(const InstallationState& state, const char* name) {
    try {
        return platform::read_registry_text(
            HKEY_LOCAL_MACHINE, uninstall_key_path(state.Product.ProductFolderName), name,
            platform::view_access(product_view(state.Product.Architecture)));
    } catch (const RuntimeError&) {
        return "";
    }
}

// The product as its entry in the list of programs and its record left it; nullopt when it
// has no entry, or its folder or a record the entry vouches for is gone (then it counts as not
// installed, and its entry is replaced).
std::optional<InstalledProduct> find_installed(InstallationState& state) {
    const UninstallEntryFound entry{entry_text(state, "InstallLocation"),
                                    entry_text(state, "UninstallString"),
                                    entry_text(state, "DisplayVersion")};
    const std::optional<std::string> folder = installed_folder(entry);
    if (!folder) return std::nullopt;
    const std::optional<std::string> record =
        platform::folder_exists(*folder)
            ? vouched_earlier_file(record_path(*folder), state.Product.ProductFolderName,
                                   product_view(state.Product.Architecture), kRecordDigestValue,
                                   state.Log)
            : std::nullopt;
    if (!record) {
        state.Log.line("wpis programu bez folderu lub pliku deinstalatora, pominięty: " + *folder);
        return std::nullopt;
    }
    InstalledProduct installed{*folder, installed_group(*record, state.ProgramsFolder),
                               entry.display_version};
    state.Log.line("zainstalowany program: " + installed.folder + "; grupa: " + installed.group +
                   "; wersja: " + installed.version);
    return installed;
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
    // Over an installed copy: its folder and group, or no installation at all over a newer one.
    const std::optional<InstalledProduct> installed = find_installed(state);
    const UpdateDecision update =
        decide_update(installed, state.Product.ProductVersion, state.Force);
    if (update.refused) {
        report_failure(state, ExitCode::newer_version_installed, update.text);
        return Startup::failed;
    }
    if (installed) {
        form.set_target(installed->folder);
        if (!installed->group.empty()) form.set_group(installed->group);
        form.set_summary_note(update.text);
        state.Log.line(update.text);
    }

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
