// The C++ runtime's handler for an exception nobody caught, replaced for the programs we ship.
// The library's own prints the exception's type name, demangled, before it aborts: the
// demangler alone is some 45 KB of every program, and these programs catch every exception
// they throw, showing it in their own words. This one aborts at once, as the library's does
// after its message. Linked before the library, it keeps the library's from being linked in.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
