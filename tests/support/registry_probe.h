#pragma once
// Looks into the registry for tests (Windows only).
#include <windows.h>

#include <string>

namespace testing_support {

bool key_exists(HKEY root, const std::string& key);
bool value_exists(HKEY root, const std::string& key, const std::string& name);

}  // namespace testing_support
