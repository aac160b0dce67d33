#pragma once
// Windows of our own classes are created with their owning object as the creation
// parameter; the object is kept in the window's user data from its first message on.
#include <windows.h>

namespace setup::platform {

// The object that owns `hwnd`, or nullptr when there is none (yet).
template <typename T>
T* window_owner(HWND hwnd, UINT msg, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
        auto* owner = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace setup::platform
