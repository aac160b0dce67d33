#include "app/installation.h"

#include <windows.h>

#include <algorithm>
#include <functional>

#include "app/archive_listing.h"
#include "app/failure_report.h"
#include "app/shortcut.h"
#include "app/uninstall_record_writer.h"
#include "app/vouched_file.h"
#include "install/extractor_runner.h"
#include "install/installation_plan.h"
#include "install/launch_rules.h"
#include "install/progress_rules.h"
#include "install/registry_rules.h"
#include "install/target_folder.h"
#include "install/undo_ledger.h"
#include "install/uninstall_entry.h"
#include "integrity/archive_check.h"
#include "integrity/archive_digest.h"
#include "integrity/sha256.h"
#include "platform/answering_wait.h"
#include "platform/error/runtime_error.h"
#include "platform/error_box.h"
#include "platform/extractor_system.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/launch.h"
#include "platform/private_folder.h"
#include "platform/registry_writer.h"
#include "platform/system_queries.h"
#include "platform/take_back.h"
#include "record/uninstall_record.h"
#include "ui/progress_host_win32.h"

namespace setup {
namespace {

using Lines = std::vector<std::string>;

// The links, each in its folder (made with its missing levels first).
void make_shortcuts(const InstallationSteps& steps, InstallationLog& log, UndoLedger& ledger) {
    for (const ShortcutStep& step : steps.shortcuts) {
        note_folder_levels(ledger, step.folder, platform::path_kind);
        note_file(ledger, step.link_path, platform::path_kind);
        log.line("skrót: " + CreateShortcut(step.program, step.folder, step.caption, log) + " -> " +
                 step.program);
    }
}

// The script's values, in order; true for each step whose key did not exist before it.
std::vector<bool> write_registry(const InstallationSteps& steps, InstallationLog& log,
                                 UndoLedger& ledger) {
    std::vector<bool> key_was_new;
    if (steps.registry.empty()) return key_was_new;
    platform::RegistryWriter registry(&ledger);
    for (const RegistryStep& step : steps.registry) {
        registry.set_root(step.root, step.view);
        key_was_new.push_back(registry.open_key(std::string(key_for_opening(step.key_path))));
        if (step.value.kind == ValueToWrite::Kind::text) {
            registry.write_text(step.value_name, step.data);
        } else if (step.value.kind == ValueToWrite::Kind::integer) {
            registry.write_integer(step.value_name, step.value.integer);
        }
        registry.close_key();
        log.line("rejestr: " +
                 registry_record_line(step.root, step.key_path, step.value_name, step.view) +
                 " = " + step.data);
    }
    return key_was_new;
}

// The script's programs, one after the other from the target folder, as the logged-in user
// where the system allows it. The window answers before the first, so that "Instaluję..."
// shows, and while it waits for a program started directly to end. A program that cannot be started
// is passed over; how each was started (or why not) goes to the log.
void launch_programs(TForm1& form, const std::string& target,
                     const std::vector<std::string>& programs, InstallationLog& log) {
    form.show_status("Instaluję...");
    form.pump_messages();
    Sleep(500);
    for (const std::string& entry : programs) {
        platform::set_current_folder(target);
        const std::string command = launch_command_line(target, entry, platform::file_exists);
        const LaunchReport report =
            platform::LaunchProgram(command, target, [&form] { form.pump_messages(); });
        log.line(std::string(report.route == LaunchRoute::failed ? "nie uruchomiono: "
                             : report.route == LaunchRoute::as_user
                                 ? "uruchomiono jako użytkownik: "
                                 : "uruchomiono z uprawnieniami administratora: ") +
                 command + " (" + report.reason + ")");
    }
}

// The target folder before anything is unpacked: refused when it or a folder on its way is a
// link, since the elevated extractor would write wherever that leads; otherwise its missing
// levels are made with the program folder's access list, so that ordinary users cannot place
// programs there that the installation later starts elevated (its uninstaller among them);
// each level made is noted in `ledger`. A target that existed gets that list too, in place of
// its own, which `log` tells. Throws RuntimeError with the refusal, or naming the level that
// cannot be made or protected.
void make_target_folder(const std::string& target, UndoLedger& ledger, InstallationLog& log) {
    const platform::SecurityDescriptor descriptor = platform::program_folder_descriptor();
    const size_t made_before = ledger.folders_made.size();
    prepare_target_folder(target, platform::path_kind, [&](const std::string& level) {
        platform::create_protected_folder(level, descriptor);
        ledger.folders_made.push_back(level);
    });
    if (ledger.folders_made.size() > made_before) return;
    log.line(
        "folder docelowy istniał: jego lista dostępu zostaje zastąpiona listą folderu "
        "programów (zapis tylko dla administratorów): " +
        target);
    platform::protect_existing_folder(target, descriptor);
}

// The archive, held open for reading (writes and deletion denied, so that what was checked is
// what the extractor reads; empty when it cannot be held, `not_held` saying why), and its check.
struct HeldArchive {
    platform::UniqueHandle handle;
    std::string not_held;
    ArchiveCheck check = ArchiveCheck::damaged;
};

// Holds the archive at `path` and checks it against the digest the builder bound into
// `module`. Without a digest nothing is checked (unbound), and an archive that cannot be held
// is then the extractor's to report, as it always was; with one, an archive that cannot be
// held (someone is writing it) is damaged. A large archive on a slow medium takes a while:
// `go_on` runs between its chunks (the window answers), and false from it stops the reading
// (abandoned).
HeldArchive hold_and_check_archive(HMODULE module, const std::string& path,
                                   const std::function<bool()>& go_on) {
    std::optional<std::string> digest;
    try {
        digest = platform::find_resource_bytes(module, kArchiveDigestResource);
    } catch (const std::exception&) {
        digest = "";  // there but unreadable: malformed
    }
    HeldArchive held;
    try {
        held.handle = platform::hold_for_reading(path);
    } catch (const RuntimeError& e) {
        held.not_held = e.what();
    }
    if (held.handle || !digest) held.check = check_archive(digest, path, go_on);
    return held;
}

// How a run ended: decided by run_steps, acted on once by end_run.
struct RunEnd {
    enum class Kind { installed, cancelled, failed };
    Kind kind = Kind::installed;
    ExitCode code = ExitCode::done;  // for failed
    std::string message;             // for failed: the box's text and the undo's reason
    bool undo = true;                // for failed: false once the product is installed
};

RunEnd ended(RunEnd::Kind kind) {
    return {kind, ExitCode::done, "", true};
}

RunEnd failed_with(ExitCode code, std::string message, bool undo = true) {
    return {RunEnd::Kind::failed, code, std::move(message), undo};
}

// Takes back what the run made, in the reverse order, under "Cofanie zmian..." on the progress
// page; the window is repainted as it goes but takes no input (a cancel has already asked it
// to close). What cannot be taken back and the files written over, which stay, go to the log.
void undo_run(TForm1& form, InstallationState& state, const UndoLedger& ledger,
              const std::string& why) {
    const std::vector<takeback::Step> steps = undo_steps(ledger);
    if (steps.empty() && ledger.files_replaced.empty()) return;
    // The label says so while it runs, then shows again what it showed before, so that a
    // failure's box comes over the page as the failure left it.
    const std::string label = form.status();
    form.show_status("Cofanie zmian...");
    form.repaint();
    state.Log.line("cofanie zmian: " + why);
    for (const std::string& file : ledger.files_replaced)
        state.Log.line("plik sprzed instalacji zostaje (mógł zostać zastąpiony): " + file);
    // A file still in use stays and is logged: the undo schedules nothing for the restart.
    platform::TakeBack take_back(platform::TakeBack::InUse::fail, platform::protected_folders());
    size_t done = 0;
    for (const takeback::Step& step : steps) {
        const takeback::Result result = take_back.apply(step);
        if (result.outcome == takeback::Outcome::removed ||
            result.outcome == takeback::Outcome::absent)
            state.Log.line("cofnięto: " + undo_step_text(step));
        else
            state.Log.line("nie cofnięto: " + undo_step_text(step) + ": " + result.reason);
        if (++done % 64 == 0) form.repaint();
    }
    state.Log.line("zmiany cofnięte");
    form.show_status(label);
    form.repaint();
}

// The paths the archive will unpack, read before anything is made. An archive whose table
// cannot be read is the extractor's to report, as it always was: nothing of it is listed then,
// and the extractor, which reads the same table, writes nothing. A table of millions of
// entries takes seconds: it is read on a thread of its own while the window answers.
ArchiveListing read_listing(TForm1& form, InstallationState& state, HANDLE archive) {
    if (!archive) return {};
    try {
        ArchiveListing listing;
        const std::string& path = state.Product.ArchivePath;
        platform::run_answering([&] { listing = list_archive(archive, path); },
                                [&form] { form.pump_messages(); });
        return listing;
    } catch (const std::exception& e) {
        state.Log.line(std::string("nie można odczytać spisu archiwum: ") + e.what());
        return {};
    }
}

// The longest path below the target that the installation writes: the archive's and those
// of the uninstaller and its record.
size_t longest_name(const ArchiveListing& listing) {
    size_t longest = std::max(kUninstallerFile.size(), kRecordFile.size());
    for (const ArchivedPath& path : listing.paths)
        longest = std::max(longest, path.relative.size());
    return longest;
}

// Notes in `ledger` what unpacking `listing` into the target will make, before it runs.
void note_archive(TForm1& form, InstallationState& state, const ArchiveListing& listing,
                  UndoLedger& ledger) {
    note_extraction(ledger, state.TargetFolder, listing.paths, platform::path_kind,
                    [&form] { form.pump_messages(); });
    for (const std::string& name : listing.unnamed)
        state.Log.line("nazwa spoza strony kodowej, nie do cofnięcia: " + name);
}

// The steps after the extraction that make the product whole: links, registry values, the
// uninstaller and its record. A step that throws ends them there. Returns the programs to
// start.
std::vector<std::string> finish_installation(InstallationState& state, UndoLedger& ledger,
                                             uint64_t unpacked_bytes) {
    const InstallationChoices choices{state.TargetFolder, state.GroupName, state.ProgramsFolder,
                                      state.DesktopFolder};
    const InstallationSteps steps = plan_installation(state.Plan, state.Product, choices);
    // An installation over an earlier one of the product: the keys that one made exist now,
    // and its record, about to be replaced, is the only word that they are the product's.
    const std::string& product = state.Product.ProductFolderName;
    const RegistryView view = product_view(state.Product.Architecture);
    const std::optional<std::string> earlier_record = vouched_earlier_file(
        record_path(choices.target), product, view, kRecordDigestValue, state.Log);
    const Lines made_before = made_key_lines(earlier_record.value_or(""));
    // Its list too: what it wrote stays the product's, also where this run writes nothing. An
    // earlier installation that left no list wrote what nobody knows now: then none is written,
    // and the uninstaller removes the product as it would have removed that one.
    const std::optional<std::string> earlier_list_text = vouched_earlier_file(
        installed_list_path(choices.target), product, view, kInstalledListDigestValue, state.Log);
    std::optional<Lines> earlier_list;
    if (earlier_list_text || !earlier_record)
        earlier_list = list_lines(earlier_list_text.value_or(""));
    else
        state.Log.line("bez listy zapisanych plików: wcześniejsza instalacja jej nie zostawiła");
    make_shortcuts(steps, state.Log, ledger);
    const std::vector<bool> key_was_new = write_registry(steps, state.Log, ledger);
    if (steps.write_uninstaller) {
        const Lines registry_lines = registry_record_lines(steps, key_was_new, made_before);
        const Lines shortcut_lines = shortcut_record_lines(steps);
        const EntryFacts facts{choices.target, platform::local_date_text(), unpacked_bytes};
        const std::vector<EntryValue> entry =
            uninstall_entry_values(state.Product, state.Plan, facts);
        WriteUninstallRecord(state.Product, choices.target, entry, registry_lines, shortcut_lines,
                             earlier_list, ledger);
        for (const EntryValue& value : entry)
            state.Log.line("wpis programu: " + value.name + " = " +
                           (value.number ? std::to_string(*value.number) : value.text));
        for (const Lines* lines : {&registry_lines, &shortcut_lines})
            for (const std::string& line : *lines) state.Log.line("zapis deinstalatora: " + line);
    }
    return steps.programs;
}

// After a complete extraction: the steps that make the product whole (a failure is taken
// back), then the programs (a failure is not: the product is installed).
RunEnd make_product_whole(TForm1& form, InstallationState& state, UndoLedger& ledger,
                          uint64_t unpacked_bytes) {
    std::vector<std::string> programs;
    try {
        programs = finish_installation(state, ledger, unpacked_bytes);
    } catch (const std::exception& e) {
        return failed_with(ExitCode::later_step_failed, e.what());
    }
    // From here the product is installed: neither a cancel nor a program that cannot be
    // started undoes it.
    if (!programs.empty() && state.RunPrograms) {
        try {
            launch_programs(form, state.TargetFolder, programs, state.Log);
        } catch (const std::exception& e) {
            return failed_with(ExitCode::later_step_failed, e.what(), false);
        }
    }
    return ended(RunEnd::Kind::installed);
}

// Runs the extractor on the progress page, the window answering meanwhile.
ExtractionOutcome extract(TForm1& form, InstallationState& state,
                          platform::ExtractorFile& extractor) {
    ProgressHost page(form, state.Log);
    platform::WindowsExtractorSystem system(extractor, [&form] { form.pump_messages(); });
    return RunExtractor(
        extractor_command_line(extractor.path(), state.TargetFolder, state.Product.ArchivePath),
        system, page, state.Cancel);
}

// The run's steps in order, up to the first that ends it: the archive's check (`archive`
// holds it from there until the extractor has ended), the target folder, the extraction, the
// steps that make the product whole, the programs. Notes in `ledger` what it makes; leaves the
// clean-up and the report to end_run.
RunEnd run_steps(TForm1& form, HMODULE module, InstallationState& state,
                 platform::ExtractorFile& extractor, platform::UniqueHandle& archive,
                 UndoLedger& ledger) {
    HeldArchive held = hold_and_check_archive(module, state.Product.ArchivePath, [&] {
        form.pump_messages();
        return !state.Cancel.requested();
    });
    archive = std::move(held.handle);
    // Not held, the archive is the extractor's to read and report, as it always was.
    if (!held.not_held.empty()) state.Log.line("archiwum nie jest zablokowane: " + held.not_held);
    if (held.check == ArchiveCheck::abandoned) return ended(RunEnd::Kind::cancelled);
    if (held.check == ArchiveCheck::damaged)
        return failed_with(ExitCode::archive_unusable,
                           "Plik jest uszkodzony: " + state.Product.ArchivePath);
    const ArchiveListing listing = read_listing(form, state, archive.get());
    // Before anything is made: a target the uninstaller could not remove from is no argument.
    if (const std::string refusal = target_refusal(
            state.TargetFolder, platform::protected_folders(), longest_name(listing));
        !refusal.empty())
        return failed_with(ExitCode::bad_arguments, refusal);
    // A 64-bit product's files must reach the folders its programs see: the system redirects
    // what this 32-bit installer and its extractor write into the system folder.
    if (state.Product.Architecture == ProductArchitecture::x64) {
        if (const std::string refusal =
                redirected_target_refusal(state.TargetFolder, platform::windows_folder());
            !refusal.empty())
            return failed_with(ExitCode::bad_arguments, refusal);
    }
    try {
        make_target_folder(state.TargetFolder, ledger, state.Log);
    } catch (const std::exception& e) {
        return failed_with(ExitCode::extraction_failed, e.what());
    }
    note_archive(form, state, listing, ledger);
    const ExtractionOutcome outcome = extract(form, state, extractor);
    archive.reset();  // the extractor has ended
    if (state.Cancel.requested()) return ended(RunEnd::Kind::cancelled);
    // Shortcuts, an uninstaller and a finish page for files that were not unpacked would
    // report a failed installation as a finished one.
    if (outcome.kind != ExtractionOutcome::Kind::completed)
        return failed_with(
            ExitCode::extraction_failed,
            extraction_failure_text(outcome, extractor.path(), state.Product.ArchivePath));
    return make_product_whole(form, state, ledger, listing.unpacked_bytes);
}

// The one way out of a run: the archive let go, the extractor's file removed (if the
// extraction has not removed it), then as `end` says: a cancel closes the window and takes
// back what the run made; a failure takes it back (unless the product is installed) and shows
// the standard error box over the page as the failure left it; a finished installation shows
// the finish page unless the user has closed the window meanwhile.
void end_run(TForm1& form, InstallationState& state, platform::UniqueHandle& archive,
             platform::ExtractorFile& extractor, const UndoLedger& ledger, const RunEnd& end) {
    archive.reset();
    extractor.remove([&form] { form.pump_messages(); });
    switch (end.kind) {
        case RunEnd::Kind::cancelled:
            form.request_close();
            state.Result = ExitCode::cancelled;
            undo_run(form, state, ledger, "anulowano");
            return;
        case RunEnd::Kind::failed:
            if (end.undo) undo_run(form, state, ledger, end.message);
            report_failure(state, end.code, end.message);
            return;
        case RunEnd::Kind::installed:
            state.Log.line("instalacja zakończona");
            if (!state.Cancel.requested()) form.show_finish();
            return;
    }
}

}  // namespace

void RunInstallation(TForm1& form, HMODULE module, InstallationState& state,
                     platform::ExtractorFile& extractor) {
    // What this run makes from here on, so that a cancel or a failure leaves the machine as it
    // found it.
    UndoLedger ledger;
    platform::UniqueHandle archive;
    const RunEnd end = run_steps(form, module, state, extractor, archive, ledger);
    end_run(form, state, archive, extractor, ledger, end);
}

}  // namespace setup
