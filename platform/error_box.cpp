#include "platform/error_box.h"

#include <windows.h>

#include "install/startup_rules.h"

namespace setup::platform {

void show_error_box(const std::string& message) {
    show_error_message(error_box_text(message), kApplicationTitle);
}

void show_error_message(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace setup::platform
