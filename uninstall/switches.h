#pragma once
// What Odinstaluj.exe's /? box lists (the switches are parsed by parse_uninstall_arguments).
#include <string>

namespace setup::uninstall {

std::string uninstall_switches_text();

}  // namespace setup::uninstall
