#include "mksetup/layout_pictures.h"

#include <charconv>
#include <stdexcept>

namespace mksetup {

namespace {

constexpr std::string_view kPictureLine = "@picture ";

struct PictureLine {
    std::string_view name;
    size_t size = 0;
};

// "<name> <size>" after the line's tag; nothing when the rest is not that.
bool parse_picture_line(std::string_view rest, PictureLine& out) {
    const size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return false;
    out.name = rest.substr(0, blank);
    std::string_view digits = rest.substr(blank + 1);
    while (!digits.empty() && (digits.back() == '\r' || digits.back() == ' '))
        digits.remove_suffix(1);
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), out.size);
    return ec == std::errc() && end == digits.data() + digits.size();
}

}  // namespace

std::string replace_layout_picture(std::string_view layout, std::string_view name,
                                   std::string_view jpeg) {
    std::string out;
    out.reserve(layout.size() + jpeg.size());
    bool replaced = false;
    while (!layout.empty()) {
        const size_t end = layout.find('\n');
        const size_t line_size = end == std::string_view::npos ? layout.size() : end + 1;
        const std::string_view line = layout.substr(0, line_size);
        layout.remove_prefix(line_size);
        PictureLine picture;
        std::string_view rest = line.substr(0, end == std::string_view::npos ? line.size() : end);
        if (!rest.starts_with(kPictureLine) ||
            !parse_picture_line(rest.substr(kPictureLine.size()), picture)) {
            out.append(line);
            continue;
        }
        if (picture.size > layout.size())
            throw std::runtime_error("the window layout's picture " + std::string(picture.name) +
                                     " is cut short");
        if (picture.name == name) {
            out.append(kPictureLine).append(name).append(" ").append(std::to_string(jpeg.size()));
            out.append("\n").append(jpeg);
            replaced = true;
        } else {
            out.append(line).append(layout.substr(0, picture.size));
        }
        layout.remove_prefix(picture.size);
    }
    if (!replaced)
        throw std::runtime_error("the window layout carries no picture named " + std::string(name));
    return out;
}

}  // namespace mksetup
