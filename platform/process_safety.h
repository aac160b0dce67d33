#pragma once
// Process-wide settings made before anything else runs.

namespace setup::platform {

// Makes Windows look for DLLs in the system folder only, never beside the program, so a DLL
// planted next to Setup.exe in a downloads folder is not loaded. Older systems lack the call;
// there it does nothing and returns false.
bool restrict_dll_search();

// The function `name` of the DLL `dll` in the system folder, loaded by its full path, or
// nullptr when either is missing. Programs import at load time only DLLs that Windows always
// takes from the system folder (KnownDLLs, and comctl32 through the manifest); any other is
// reached through this, so a DLL of that name beside the program is never loaded.
void* system_function(const char* dll, const char* name);

}  // namespace setup::platform
