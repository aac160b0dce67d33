// Odinstaluj.exe: the uninstaller. Started without arguments from the target folder, it checks
// the record beside it and hands the work to a copy of itself made in a private folder under the
// temporary folder; the copy waits for it to end, asks, removes what the record names and
// deletes its own file as it ends.
#include <windows.h>

#include "error_box.h"
#include "files.h"
#include "paths.h"
#include "process_safety.h"
#include "record_file_win32.h"
#include "removal_plan.h"
#include "runtime_error.h"
#include "self_copy_win32.h"
#include "sha256.h"
#include "system_folders_win32.h"
#include "texts.h"
#include "uninstall_record.h"
#include "uninstall_window_win32.h"

namespace {

using namespace setup::uninstall;

constexpr const char* kCaption = "Odinstaluj";

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
    const std::string folder = parent_of(program);
    loaded.input.uninstaller = program;
    loaded.input.record_path = folder + "\\" + kRecordName;
    const RecordFile file = read_record_file(loaded.input.record_path);
    loaded.record = parse_record(file.bytes);
    loaded.input.record_time = file.write_time;
    loaded.input.protected_folders = protected_folders();
    const std::string why = refusal(loaded.record, folder, loaded.input.protected_folders);
    if (!why.empty()) throw setup::RuntimeError(why);
    setup::Sha256 digest;
    digest.update(file.bytes.data(), file.bytes.size());
    const std::optional<RegistryLine> product = product_key(loaded.record);
    const std::string stored =
        product ? read_machine_text(product->key, std::string(setup::kRecordDigestValue)) : "";
    const std::string untrusted = digest_refusal(loaded.record, loaded.input.record_path,
                                                 setup::to_hex(digest.finish()), stored);
    if (!untrusted.empty()) throw setup::RuntimeError(untrusted);
    loaded.input.target = *find_target(loaded.record, folder);
    ShortcutFolders shortcuts = shortcut_folders();
    loaded.input.programs_folders = std::move(shortcuts.programs);
    loaded.input.shortcut_folders = std::move(shortcuts.all);
    return loaded;
}

int run_copy(HINSTANCE instance, const CopyArguments& arguments) {
    wait_for_original(arguments);
    Loaded loaded = load(arguments.original_program);
    UninstallWindow window(std::move(loaded.record), std::move(loaded.input));
    if (!window.create(instance)) {
        setup::platform::show_error_message(
            "Nie można utworzyć okna: " + setup::platform::system_message(GetLastError()),
            kCaption);
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The copy runs from the temporary folder, where anyone may leave a DLL.
    setup::platform::restrict_dll_search();
    try {
        if (auto arguments = parse_copy_command_line(GetCommandLineA()))
            return run_copy(instance, *arguments);
        const std::string program = setup::platform::own_module_path();
        const Loaded loaded = load(program);
        start_copy(program, loaded.record);
        return 0;
    } catch (const std::exception& e) {
        setup::platform::show_error_message(e.what(), kCaption);
        return 1;
    }
}
