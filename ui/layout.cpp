#include "ui/layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace setup {

namespace {

constexpr std::array<std::pair<std::string_view, ControlKind>, 13> kKinds = {{
    {"TForm", ControlKind::Form},
    {"TPanel", ControlKind::Panel},
    {"TImage", ControlKind::Image},
    {"TLabel", ControlKind::Label},
    {"TButton", ControlKind::Button},
    {"TGradient", ControlKind::Gradient},
    {"TEdit", ControlKind::Edit},
    {"TDirectoryListBox", ControlKind::DirectoryListBox},
    {"TDriveComboBox", ControlKind::DriveComboBox},
    {"TGroupBox", ControlKind::GroupBox},
    {"TListBox", ControlKind::ListBox},
    {"TMemo", ControlKind::Memo},
    {"TProgressBar", ControlKind::ProgressBar},
}};

constexpr std::array<std::string_view, 13> kFlags = {
    "page",    "bar",    "body",     "bold",   "wordwrap", "right",      "disabled",
    "default", "hidden", "autosize", "sorted", "readonly", "transparent"};

std::string_view next_token(std::string_view& line) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    size_t end = line.find_first_of(" \t");
    std::string_view token = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    return token;
}

int number(std::string_view token, int line_no) {
    int value = 0;
    auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (token.empty() || ec != std::errc() || end != token.data() + token.size())
        throw LayoutError("layout line " + std::to_string(line_no) + ": \"" + std::string(token) +
                          "\" is not a number");
    return value;
}

ControlSpec parse_control(std::string_view line, int line_no) {
    const std::string where = "layout line " + std::to_string(line_no);
    ControlSpec c;
    c.name = std::string(next_token(line));
    std::string_view kind = next_token(line);
    bool known = false;
    for (const auto& [text, k] : kKinds)
        if (text == kind) c.kind = k, known = true;
    if (!known) throw LayoutError(where + ": unknown class \"" + std::string(kind) + "\"");
    std::string_view parent = next_token(line);
    if (parent.empty()) throw LayoutError(where + ": no parent");
    c.parent = parent == "-" ? "" : std::string(parent);
    c.left = number(next_token(line), line_no);
    c.top = number(next_token(line), line_no);
    c.width = number(next_token(line), line_no);
    c.height = number(next_token(line), line_no);
    while (true) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        if (line.starts_with("caption=")) {  // the rest of the line, blanks and all
            c.caption = std::string(line.substr(8));
            break;
        }
        std::string_view token = next_token(line);
        size_t eq = token.find('=');
        if (eq != std::string_view::npos) {
            c.values[std::string(token.substr(0, eq))] = std::string(token.substr(eq + 1));
        } else if (std::find(kFlags.begin(), kFlags.end(), token) != kFlags.end()) {
            c.flags.insert(std::string(token));
        } else {
            throw LayoutError(where + ": unknown flag \"" + std::string(token) + "\"");
        }
    }
    return c;
}

}  // namespace

const ControlSpec& Layout::at(std::string_view name) const {
    for (const ControlSpec& c : controls)
        if (c.name == name) return c;
    throw LayoutError("layout has no control " + std::string(name));
}

Layout parse_layout(std::string_view resource) {
    Layout layout;
    int line_no = 0;
    std::set<std::string> names;
    while (!resource.empty()) {
        size_t nl = resource.find('\n');
        std::string_view line = resource.substr(0, nl);
        resource.remove_prefix(nl == std::string_view::npos ? resource.size() : nl + 1);
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.starts_with("@picture ")) {
            // "@picture <name> <size>", then exactly that many bytes and a line end.
            line.remove_prefix(9);
            std::string name(next_token(line));
            size_t size = static_cast<size_t>(number(next_token(line), line_no));
            if (name.empty() || size > resource.size())
                throw LayoutError("layout picture " + name + " is cut short");
            layout.pictures[name] = std::string(resource.substr(0, size));
            resource.remove_prefix(size);
            if (resource.starts_with("\n")) resource.remove_prefix(1);
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with("#"))
            continue;
        ControlSpec c = parse_control(line, line_no);
        if (!names.insert(c.name).second) throw LayoutError("layout names " + c.name + " twice");
        if (c.kind == ControlKind::Form ? !c.parent.empty() : !names.count(c.parent))
            throw LayoutError("layout: the parent of " + c.name + " is not declared before it");
        layout.controls.push_back(std::move(c));
    }
    for (const ControlSpec& c : layout.controls) {
        auto it = c.values.find("picture");
        if (it != c.values.end() && !layout.pictures.count(it->second))
            throw LayoutError("layout: picture " + it->second + " of " + c.name + " is missing");
    }
    return layout;
}

}  // namespace setup
