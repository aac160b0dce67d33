// Odinstaluj.exe: the uninstaller. Started without arguments from the target folder, it checks
// the record beside it and hands the work to a copy of itself made in a private folder under the
// temporary folder; the copy waits for it to end, asks, removes what the record names and
// deletes its own file as it ends. With /S (see command_line.h) nothing is asked and the
// program the user started waits for the copy's result and ends with it, for deployment
// tools; /LOG= logs every step in either case.
#include <windows.h>

#include <optional>

#include "common/command_line.h"
#include "common/installation_log.h"
#include "integrity/sha256.h"
#include "paths/paths.h"
#include "platform/error/runtime_error.h"
#include "platform/error_box.h"
#include "platform/files.h"
#include "platform/log_file.h"
#include "platform/process_safety.h"
#include "platform/system_queries.h"
#include "platform/take_back.h"
#include "record/uninstall_record.h"
#include "uninstall/record_file_win32.h"
#include "uninstall/removal_plan.h"
#include "uninstall/result_pipe_win32.h"
#include "uninstall/running_programs_win32.h"
#include "uninstall/self_copy_win32.h"
#include "uninstall/switches.h"
#include "uninstall/system_folders_win32.h"
#include "uninstall/texts.h"
#include "uninstall/uninstall_window_win32.h"

namespace {

using namespace setup::uninstall;
using setup::RegistryLine;

constexpr const char* kCaption = "Odinstaluj";

std::string hex_sha256(const std::string& bytes) {
    setup::Sha256 digest;
    digest.update(bytes.data(), bytes.size());
    return setup::to_hex(digest.finish());
}

struct Loaded {
    Record record;
    PlanInput input;
};

// The record beside `program`, refused with a message when it must not be acted on: one that
// does not describe its folder, whose target is a folder of the system or the user, or whose
// bytes are not those whose digest the installation left in the product's uninstall key.
// The bytes hashed are the bytes parsed, so the file cannot change between the two.
Loaded load(const std::string& program) {
    Loaded loaded;
    const std::string folder = setup::paths::parent_of(program);
    loaded.input.uninstaller = program;
    loaded.input.record_path = folder + "\\" + kRecordName;
    const RecordFile file = read_record_file(loaded.input.record_path);
    loaded.record = parse_record(file.bytes);
    loaded.input.record_time = file.write_time;
    loaded.input.protected_folders = setup::platform::protected_folders();
    const std::string why = refusal(loaded.record, folder, loaded.input.protected_folders);
    if (!why.empty()) throw setup::RuntimeError(why);
    const std::optional<RegistryLine> product = product_key(loaded.record);
    const std::string stored =
        product
            ? read_machine_text(product->key, std::string(setup::kRecordDigestValue), product->view)
            : "";
    const std::string untrusted =
        digest_refusal(loaded.record, loaded.input.record_path, hex_sha256(file.bytes), stored);
    if (!untrusted.empty()) throw setup::RuntimeError(untrusted);
    // The list of what the installation wrote, where it left one. A list the key vouches for
    // that cannot be read refuses the record: without it every file would be taken.
    const std::string stored_list =
        product ? read_machine_text(product->key, std::string(setup::kInstalledListDigestValue),
                                    product->view)
                : "";
    if (!stored_list.empty()) {
        const std::string list_path = setup::installed_list_path(folder);
        RecordFile list;
        try {
            list = read_record_file(list_path);
        } catch (const std::exception& e) {
            throw setup::RuntimeError(std::string(e.what()) + ". Nic nie zostało usunięte.");
        }
        const std::string changed = list_refusal(list_path, hex_sha256(list.bytes), stored_list);
        if (!changed.empty()) throw setup::RuntimeError(changed);
        loaded.input.installed = installed_list(parse_record(list.bytes));
        loaded.input.list_path = list_path;
    }
    loaded.input.target = *find_target(loaded.record, folder);
    ShortcutFolders shortcuts = shortcut_folders();
    loaded.input.programs_folders = std::move(shortcuts.programs);
    loaded.input.shortcut_folders = std::move(shortcuts.all);
    return loaded;
}

int code(setup::ExitCode c) {
    return static_cast<int>(c);
}

using setup::ExitCode;
using setup::InstallationLog;
using setup::platform::LogFile;

// A log written to `path` in turn with the other process of the pair: opened to append,
// never to replace. Without a path, or when it cannot be opened, a log that writes nothing.
InstallationLog open_log(const std::string& path, std::optional<LogFile>& file) {
    if (path.empty()) return {};
    try {
        file.emplace(path, LogFile::Opening::append);
    } catch (const std::exception&) {
        return {};
    }
    return InstallationLog([&file](std::string_view b) { file->write(b); },
                           setup::platform::local_time_text);
}

void log_record(InstallationLog& log, const Loaded& loaded) {
    log.line("zapis deinstalatora: " + loaded.input.record_path +
             "; folder docelowy: " + loaded.input.target);
    for (const std::string& note : loaded.record.notes) log.line("pominięto: " + note);
}

// The steps that need the original gone: its own file and the folders that hold it.
bool needs_original_gone(const Step& step, const std::string& original) {
    if (step.action == Action::delete_file) return setup::paths::same_path(step.path, original);
    return step.action == Action::remove_folder && setup::paths::is_within(original, step.path);
}

// The copy under /S: no window, no box. The result goes to the original (which waits for it)
// as soon as everything but the original's file and the folders holding it is done; those go
// after the original has ended, and their outcome is only logged.
int remove_silently(const CopyArguments& arguments, setup::platform::UniqueHandle& result,
                    const setup::platform::UniqueHandle& original, InstallationLog& log) {
    std::optional<Loaded> loaded;
    std::vector<std::string> running;
    try {
        loaded.emplace(load(arguments.original_program));
        running = programs_running_in(loaded->input.target, arguments.original_program);
    } catch (const std::exception& e) {
        log.line(std::string("błąd: ") + e.what());
        send_result(result, code(ExitCode::refused));
        return code(ExitCode::refused);
    }
    if (!running.empty()) {
        for (const std::string& program : running) log.line("działa: " + program);
        log.line("błąd: programy działają z folderu " + loaded->input.target +
                 ": nic nie zostało usunięte");
        send_result(result, code(ExitCode::refused));
        return code(ExitCode::refused);
    }
    loaded->input.tree = setup::platform::list_tree(loaded->input.target);
    const Plan plan = make_plan(loaded->record, loaded->input);
    for (const std::string& note : plan.notes) log.line("pozostaje: " + note);
    for (const std::string& kept : plan.kept) log.line("pozostaje (po instalacji): " + kept);
    for (const std::string& old : plan.before) log.line("pozostaje (sprzed instalacji): " + old);
    setup::platform::TakeBack take_back(setup::platform::TakeBack::InUse::remove_at_restart,
                                        loaded->input.protected_folders);
    Report report;
    std::vector<const Step*> last;
    for (const Step& step : plan.steps) {
        if (needs_original_gone(step, arguments.original_program)) {
            last.push_back(&step);
            continue;
        }
        const Result outcome = take_back.apply(step);
        report.add(step, outcome);
        log.line(log_line(step, outcome));
    }
    const int exit = code(report.exit_code());
    log.line("wynik: kod " + std::to_string(exit));
    send_result(result, exit);
    // The original ends as soon as it has read the result; should it hang, its file and
    // folder count as in use and go at restart.
    if (original) WaitForSingleObject(original.get(), 30000);
    for (const Step* step : last) {
        log.line(log_line(*step, take_back.apply(*step)));
    }
    log.line("odinstalowanie zakończone");
    return exit;
}

int run_silent_copy(const CopyArguments& arguments, InstallationLog& log) {
    setup::platform::UniqueHandle result(reinterpret_cast<HANDLE>(arguments.result_pipe));
    const setup::platform::UniqueHandle original(
        reinterpret_cast<HANDLE>(arguments.original_process));
    try {
        return remove_silently(arguments, result, original, log);
    } catch (const std::exception& e) {
        // No box under /S: what failed is logged and is the result, unless it was sent.
        log.line(std::string("błąd: ") + e.what());
        send_result(result, code(ExitCode::later_step_failed));
        return code(ExitCode::later_step_failed);
    }
}

// A path given on the command line, made full against the current folder.
std::string full_path(const std::string& path) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer)
        throw setup::RuntimeError("Nie można utworzyć pliku dziennika " + path + ": " +
                                  setup::platform::system_message(GetLastError()));
    return buffer;
}

int run_copy(HINSTANCE instance, const CopyArguments& arguments) {
    std::optional<LogFile> log_file;
    InstallationLog log = open_log(arguments.log, log_file);
    if (arguments.silent) return run_silent_copy(arguments, log);
    wait_for_original(arguments);
    Loaded loaded;
    try {
        loaded = load(arguments.original_program);
    } catch (const std::exception& e) {
        log.line(std::string("błąd: ") + e.what());
        throw;
    }
    UninstallWindow window(std::move(loaded.record), std::move(loaded.input), log);
    if (!window.create(instance)) {
        const std::string message =
            "Nie można utworzyć okna: " + setup::platform::system_message(GetLastError());
        log.line("błąd: " + message);
        setup::platform::show_error_message(message, kCaption);
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (window.translate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// The program the user started, given arguments: checks them and the record, then hands over
// to the copy; under /S it waits for the copy's result and returns it.
int run_with_arguments(std::string_view line) {
    auto parsed = setup::parse_uninstall_arguments(line);
    if (auto* error = std::get_if<setup::ArgumentError>(&parsed)) {
        if (!error->silent)
            setup::platform::show_error_message(
                error->message + "\r\n\r\n" + uninstall_switches_text(), kCaption);
        return code(ExitCode::bad_arguments);
    }
    const setup::UninstallArguments args = std::get<setup::UninstallArguments>(parsed);
    if (args.help) {
        if (!args.silent)
            MessageBoxA(nullptr, uninstall_switches_text().c_str(), kCaption,
                        MB_OK | MB_ICONINFORMATION);
        return code(ExitCode::done);
    }
    auto report = [&](const std::string& message) {
        if (!args.silent) setup::platform::show_error_message(message, kCaption);
    };
    CopyArguments passed;
    passed.silent = args.silent;
    std::optional<LogFile> log_file;
    InstallationLog log;
    if (args.log) {
        // Made anew here, then written by both processes in turn: the copy runs from the
        // temporary folder, so it is given the full path.
        try {
            passed.log = full_path(*args.log);
            LogFile{passed.log};
        } catch (const std::exception& e) {
            report(e.what());
            return code(ExitCode::bad_arguments);
        }
        log = open_log(passed.log, log_file);
    }
    log.line("argumenty: " + std::string(line));
    std::string program;
    std::optional<Loaded> loaded;
    try {
        program = setup::platform::own_module_path();
        loaded.emplace(load(program));
    } catch (const std::exception& e) {
        log.line(std::string("błąd: ") + e.what());
        report(e.what());
        return code(ExitCode::refused);
    }
    log_record(log, *loaded);
    try {
        if (!args.silent) {
            start_copy(program, loaded->record, passed);
            log.line("kopia robocza uruchomiona");
            return code(ExitCode::done);
        }
        ResultPipe pipe = make_result_pipe();
        passed.result_pipe = reinterpret_cast<std::uintptr_t>(pipe.write.get());
        const setup::platform::UniqueHandle copy = start_copy(program, loaded->record, passed);
        pipe.write.reset();  // the copy's is now the only write end
        bool sent = false;
        const int exit = wait_for_result(pipe.read, copy, sent);
        if (!sent)
            log.line("błąd: kopia robocza zakończyła się bez wyniku (kod " + std::to_string(exit) +
                     ")");
        return exit;
    } catch (const std::exception& e) {
        log.line(std::string("błąd: ") + e.what());
        report(e.what());
        return code(ExitCode::later_step_failed);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The copy runs from the temporary folder, where anyone may leave a DLL.
    setup::platform::restrict_dll_search();
    try {
        if (auto arguments = parse_copy_command_line(GetCommandLineA()))
            return run_copy(instance, *arguments);
        if (const std::string_view line = setup::arguments_of(GetCommandLineA()); !line.empty())
            return run_with_arguments(line);
        const std::string program = setup::platform::own_module_path();
        const Loaded loaded = load(program);
        start_copy(program, loaded.record);
        return 0;
    } catch (const std::exception& e) {
        setup::platform::show_error_message(e.what(), kCaption);
        return 1;
    }
}
