#include "mksetup/messages.h"

namespace mksetup {

void print_line(std::FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

}  // namespace mksetup
