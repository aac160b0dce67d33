#pragma once
// The wizard window's layout, read from the resource TFORM1 (docs/layout-format.md): every
// control's class, name, parent, bounds, flags and caption, and the pictures it carries.
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

enum class ControlKind {
    Form,
    Panel,
    Image,
    Label,
    Button,
    Gradient,
    Edit,
    DirectoryListBox,
    DriveComboBox,
    GroupBox,
    ListBox,
    Memo,
    ProgressBar
};

struct ControlSpec {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string parent;  // "" for the form
    int left = 0, top = 0, width = 0, height = 0;
    std::set<std::string> flags;                // e.g. "bold", "default", "hidden"
    std::map<std::string, std::string> values;  // e.g. font=13, picture=banner
    std::string caption;                        // CP1250

    bool has(std::string_view flag) const { return flags.count(std::string(flag)) > 0; }
};

struct Layout {
    std::vector<ControlSpec> controls;            // parents before their children
    std::map<std::string, std::string> pictures;  // name -> JPEG bytes

    const ControlSpec& at(std::string_view name) const;  // throws LayoutError when missing
};

class LayoutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads and checks the layout: known classes and flags, unique names, parents declared
// before their children, numbers that are numbers, pictures that are there.
Layout parse_layout(std::string_view resource);

}  // namespace setup
