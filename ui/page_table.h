#pragma once
// The wizard's page flow as data: one row per page, in the order the pages come, saying which
// panel the page is, which button Enter presses there, and what its Back, Next and Cancel
// buttons do. The window's navigation reads only this table; check_page_table holds it
// against the layout, so a row naming a missing panel or button, or a flow that does not
// lead from the first page to the last, is found before the window exists.
//
// Adding a page: its panel and controls in the layout, and one row here.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/layout.h"

namespace setup {

// What a button's click does, beside the page change it may make.
enum class PageAction {
    None,        // no handler: the button is disabled, or the step is taken by the program
    Go,          // shows the step's page and hides this one
    Summary,     // Go, then the summary is written for the new page (Button9Click)
    Install,     // Go, then the installation runs (Button12Click); it returns when it ends
    CancelFlag,  // only asks the running installation to stop (Button16Click)
    Close,       // asks to stop and closes the window (AnulujClick)
};

// The window's colour as a step is taken; it is set before the new page shows.
enum class PageColor { Keep, White, Accent };

struct PageStep {
    std::string_view button;  // "" when the page has no such button
    PageAction action = PageAction::None;
    std::string_view to;  // the page the step leads to; "" for none
    PageColor color = PageColor::Keep;
};

struct PageRow {
    std::string_view page;            // the page's panel
    std::string_view default_button;  // what Enter presses; "" for nothing
    PageStep back, next, cancel;
};

// The installer's six pages. The progress page's Next is taken by the end of the
// installation (show_finish), not by its button, which stays disabled.
std::span<const PageRow> wizard_pages();

// Every fault of the table against the layout, one message each naming the row and what is
// wrong; empty when the table is sound.
std::vector<std::string> check_page_table(std::span<const PageRow> pages, const Layout& layout);

// The row of the page a step leads to, or nullptr when no row has that page.
const PageRow* find_page(std::span<const PageRow> pages, std::string_view page);

// The row holding the button with this window id (control_id) and the step the button takes,
// or {nullptr, nullptr}.
struct PageButton {
    const PageRow* row = nullptr;
    const PageStep* step = nullptr;
};
PageButton find_button(std::span<const PageRow> pages, int id);

// The page the installation runs on: where the Install step leads; nullptr when none does.
const PageRow* installation_page(std::span<const PageRow> pages);

}  // namespace setup
