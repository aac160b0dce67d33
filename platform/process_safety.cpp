#include "platform/process_safety.h"

#include <windows.h>

#include <string>

namespace setup::platform {

bool restrict_dll_search() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    return fn != nullptr && fn(kSearchSystem32) != 0;
}

void* system_function(const char* dll, const char* name) {
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::string path = std::string(folder, n) + "\\" + dll;
    // Loaded once for the life of the process: the module is never freed.
    HMODULE module = GetModuleHandleA(path.c_str());
    if (module == nullptr) module = LoadLibraryA(path.c_str());
    if (module == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

}  // namespace setup::platform
