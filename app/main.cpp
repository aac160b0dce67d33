// Setup.exe: the installer's entry. Without arguments it shows the wizard; with them it may
// install without questions, with no window (/S) or showing only the progress page (/P), or
// fill the wizard's folder and group (see command_line.h), and it ends with an exit code for
// deployment tools.
#include <windows.h>

#include <optional>
#include <variant>

#include "app/installation.h"
#include "app/startup.h"
#include "common/command_line.h"
#include "platform/com_apartment.h"
#include "platform/error_box.h"
#include "platform/files.h"
#include "platform/log_file.h"
#include "platform/process_safety.h"
#include "platform/system_queries.h"
#include "ui/TForm1_win32.h"
#include "ui/layout.h"

namespace {

using namespace setup;

constexpr const char* kCaption = "Setup";

int code(ExitCode c) {
    return static_cast<int>(c);
}

// The switches, or the program's exit code when they end it here: a refusal (shown in a box
// unless /S was asked for) or the list of /?.
std::variant<SetupArguments, ExitCode> read_arguments(std::string_view arguments) {
    auto parsed = parse_setup_arguments(arguments);
    if (auto* error = std::get_if<ArgumentError>(&parsed)) {
        if (!error->silent)
            platform::show_error_message(error->message + "\r\n\r\n" + setup_switches_text(),
                                         kCaption);
        return ExitCode::bad_arguments;
    }
    SetupArguments args = std::get<SetupArguments>(parsed);
    if (args.help) {
        MessageBoxA(nullptr, setup_switches_text().c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
        return ExitCode::done;
    }
    return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name.
    platform::restrict_dll_search();
    const std::string_view arguments = arguments_of(GetCommandLineA());
    std::optional<SetupArguments> args;
    if (!arguments.empty()) {
        auto read = read_arguments(arguments);
        if (const ExitCode* exit = std::get_if<ExitCode>(&read)) return code(*exit);
        args = std::get<SetupArguments>(std::move(read));
    }
    platform::ComApartment com;
    // Declared before the window, so the private folder is removed on every way out, after
    // the window has gone.
    InstallerFiles files;
    InstallationState state;
    std::optional<platform::LogFile> log_file;
    if (args) {
        state.Silent = args->silent;
        state.RunPrograms = !args->silent || args->run_programs;
        state.Force = args->force;
        if (args->log) {
            try {
                log_file.emplace(*args->log);
            } catch (const std::exception& e) {
                if (!state.Silent) platform::show_error_message(e.what(), kCaption);
                return code(ExitCode::bad_arguments);
            }
            state.Log = InstallationLog([&log_file](std::string_view b) { log_file->write(b); },
                                        platform::local_time_text);
        }
        state.Log.line("argumenty: " + std::string(arguments));
    }
    TForm1 form(state.Cancel);
    try {
        form.create(instance, parse_layout(platform::load_resource(instance, "TFORM1")));
    } catch (const std::exception& e) {
        if (!state.Silent) platform::show_error_box(e.what());
        state.Log.line(std::string("błąd: ") + e.what());
        return args ? code(ExitCode::later_step_failed) : 1;
    }
    form.on_install = [&form, &files, &state, instance] {
        state.TargetFolder = form.proposed_target();
        state.GroupName = form.proposed_group();
        RunInstallation(form, instance, state, files.extractor);
    };
    platform::WindowsSystemQueries system;
    switch (FormCreate(form, system, instance, files, state)) {
        case Startup::ready:
            break;
        case Startup::stopped:
            return args ? code(state.Result) : 0;
        case Startup::failed:
            return args ? code(state.Result) : 1;
    }
    // /S wins over /P: whoever asked for no window at all gets none.
    const bool passive = args && args->passive && !state.Silent;
    if (state.Silent || passive) {
        // The folder and group the wizard proposes, unless the command line names others.
        state.TargetFolder = args->target.value_or(form.proposed_target());
        state.GroupName = args->group.value_or(form.proposed_group());
        state.Log.line("folder docelowy: " + state.TargetFolder + "; grupa: " + state.GroupName);
        if (state.Silent) {
            RunInstallation(form, instance, state, files.extractor);
            return code(state.Result);
        }
        // A user watches: the progress page shows, a failure shows its box, and the window
        // closes once the run has ended, however it ended, in place of the finish page.
        form.show_progress_only();
        RunInstallation(form, instance, state, files.extractor);
        form.request_close();
    } else {
        // The wizard as always, its inputs holding what the command line names; the user
        // may still change them.
        if (args && args->target) form.set_target(*args->target);
        if (args && args->group) form.set_group(*args->group);
        form.show();
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (form.translate_dialog_message(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return args ? code(state.Result) : 0;
}
