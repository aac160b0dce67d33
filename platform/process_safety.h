#pragma once
// Process-wide settings made before anything else runs.

namespace setup::platform {

// Makes Windows look for DLLs in the system folder only, never beside the program, so a DLL
// planted next to Setup.exe in a downloads folder is not loaded. Older systems lack the call;
// there it does nothing and returns false.
bool restrict_dll_search();

}  // namespace setup::platform
