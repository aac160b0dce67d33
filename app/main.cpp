// Setup.exe: the installer's entry.
#include <windows.h>

#include "TForm1_win32.h"
#include "com_apartment.h"
#include "error_box.h"
#include "files.h"
#include "installation.h"
#include "layout.h"
#include "process_safety.h"
#include "startup.h"
#include "system_queries.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name.
    setup::platform::restrict_dll_search();
    setup::platform::ComApartment com;
    // Declared before the window, so the private folder is removed on every way out, after
    // the window has gone.
    setup::InstallerFiles files;
    setup::InstallationState state;
    setup::TForm1 form(state);
    try {
        form.create(instance,
                    setup::parse_layout(setup::platform::load_resource(instance, "TFORM1")));
    } catch (const std::exception& e) {
        setup::platform::show_error_box(e.what());
        return 1;
    }
    form.on_install = [&form, &files, &state, instance] {
        setup::RunInstallation(form, instance, state, files.extractor);
    };
    setup::platform::WindowsSystemQueries system;
    switch (setup::FormCreate(form, system, instance, files, state)) {
        case setup::Startup::ready:
            break;
        case setup::Startup::stopped:
            return 0;
        case setup::Startup::failed:
            return 1;
    }
    form.show();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (form.translate_dialog_message(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
