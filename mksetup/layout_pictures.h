#pragma once
// The pictures inside the window layout resource (TFORM1): each travels as a line
// "@picture <name> <size>", then exactly <size> bytes of JPEG and a line end.
#include <string>
#include <string_view>

namespace mksetup {

// The layout with the picture `name` holding `jpeg` instead; every other byte as it was.
// Throws std::runtime_error when the layout has no picture of that name or is cut short.
std::string replace_layout_picture(std::string_view layout, std::string_view name,
                                   std::string_view jpeg);

}  // namespace mksetup
