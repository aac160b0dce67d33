#pragma once
// The builder's messages are UTF-8; a Windows console shows its own code page.
#include <cstdio>
#include <string>

namespace mksetup {

// Writes `text` and a line end to `out`, in the form the terminal shows.
void print_line(std::FILE* out, const std::string& text);

}  // namespace mksetup
