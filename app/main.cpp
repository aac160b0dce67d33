// Setup.exe: the installer's entry.
#include <windows.h>

#include "com_apartment.h"
#include "error_box.h"
#include "form.h"
#include "process_safety.h"
#include "startup.h"
#include "system_queries.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name.
    setup::platform::restrict_dll_search();
    setup::platform::ComApartment com;
    setup::TForm1 form;
    try {
        form.create(instance);
    } catch (const std::exception& e) {
        setup::platform::show_error_box(e.what());
        return 1;
    }
    setup::platform::WindowsSystemQueries system;
    setup::FormCreate(form, system, instance);
    form.show();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
