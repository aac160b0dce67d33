#pragma once
#include <windows.h>

namespace setup {

// Brings the window to the foreground, also where the system's foreground lock would keep
// it behind; true when it is the foreground window at the end.
bool BringToForeground(HWND window);

}  // namespace setup
