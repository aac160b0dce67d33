#pragma once
// The application's standard error box and its other message boxes.
#include <string>

namespace setup::platform {

inline constexpr const char* kApplicationTitle = "Setup";

// The error's message (with the full stop rule), caption "Setup", error icon, one OK button.
void show_error_box(const std::string& message);

// A message box with the error icon and one OK button.
void show_error_message(const std::string& text, const std::string& caption);

}  // namespace setup::platform
