#include "uninstall/switches.h"

namespace setup::uninstall {

std::string uninstall_switches_text() {
    return "Odinstaluj.exe [/S] [/LOG=plik]\r\n"
           "\r\n"
           "/S\tbez okna i bez pytań; kod wyjścia: 0, 1625 (odmowa), 1627 (błąd),\r\n"
           "\t3010 (reszta po restarcie), 87 (złe argumenty)\r\n"
           "/LOG=\tplik dziennika odinstalowania\r\n"
           "/?\tta lista";
}

}  // namespace setup::uninstall
