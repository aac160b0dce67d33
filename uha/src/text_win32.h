#pragma once
// Code-page conversions of the Windows build. Archive names are UTF-8; the system's narrow
// API takes the ANSI code page and the console shows the OEM code page.
#include <optional>
#include <string>

namespace uha::win32 {

std::wstring widen(const std::string& text, unsigned code_page);
// Characters the code page lacks become '?'.
std::string narrow(const std::wstring& text, unsigned code_page);
// Nothing when a character has no exact form in the code page.
std::optional<std::string> narrow_exact(const std::wstring& text, unsigned code_page);

}  // namespace uha::win32
