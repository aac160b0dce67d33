#pragma once
// The wizard's rules that need no window: the proposals for the target folder and the
// Start-menu group, the summary's lines, where the header pictures go, and each control's
// id, derived from its name so that a test program can find "Button4" or "Label25".
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// The target folder for the folder list's current folder D (never empty): D and the
// product's folder name, with exactly one "\" between them.
std::string target_folder_for(std::string_view current_folder, std::string_view product_folder);

// The group picked in the list of existing groups, with the product's folder name below it.
std::string group_for(std::string_view picked, std::string_view product_folder);

// The summary's five lines: target, an empty line, group; then, when `note` is not empty (an
// installation over an installed copy), an empty line and the note.
std::vector<std::string> summary_lines(std::string_view title, std::string_view target,
                                       std::string_view group, std::string_view note = "");

// "%s" in a layout caption replaced by the title, whose characters ("%" too) are copied as
// they are.
std::string format_caption(std::string_view pattern, std::string_view title);

struct PicturePlacement {
    int left, top, band_width;
};
// Where the header pictures go on a page `page_width` wide with a 56-pixel header: at the
// right edge, centred vertically when lower than the header, and the bands reaching one
// pixel under them.
PicturePlacement place_header_picture(int page_width, int picture_width, int picture_height);

// A control's id: its kind's base plus its number ("Button4" -> 1004), or a fixed id for the
// named pages and the "Anuluj" button; 0 for an unknown name.
int control_id(std::string_view name);

}  // namespace setup
