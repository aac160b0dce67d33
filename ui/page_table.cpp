#include "ui/page_table.h"

#include <array>
#include <set>

#include "ui/wizard_rules.h"

namespace setup {

namespace {

using enum PageAction;
using enum PageColor;

constexpr PageStep step(std::string_view button, PageAction action = None, std::string_view to = "",
                        PageColor color = Keep) {
    return {button, action, to, color};
}

// Welcome <-> Path <-> MenuStart <-> Podsumowanie -> Progress -> Finish. The window is white
// on Welcome and Finish and takes the accent colour from Path on.
constexpr std::array<PageRow, 6> kPages = {{
    {"Welcome", "Button4", step("Button3"), step("Button4", Go, "Path", Accent),
     step("Anuluj", Close)},
    {"Path", "Button7", step("Button6", Go, "Welcome", White), step("Button7", Go, "MenuStart"),
     step("Button8", Close)},
    {"MenuStart", "Button9", step("Button5", Go, "Path"), step("Button9", Summary, "Podsumowanie"),
     step("Button10", Close)},
    {"Podsumowanie", "Button12", step("Button11", Go, "MenuStart"),
     step("Button12", Install, "Progress"), step("Button13", Close)},
    {"Progress", "", step("Button14"), step("Button15", None, "Finish", White),
     step("Button16", CancelFlag)},
    {"Finish", "Button18", step("Button17"), step("Button18", Close), step("Button19")},
}};

bool leads_to_page(PageAction action) {
    return action == Go || action == Summary || action == Install;
}

// Whether the control lies on the page: the page is among its parents.
bool lies_on(const Layout& layout, const ControlSpec& control, std::string_view page) {
    for (const ControlSpec* c = &control; !c->parent.empty(); c = &layout.at(c->parent))
        if (c->parent == page) return true;
    return false;
}

const ControlSpec* find_control(const Layout& layout, std::string_view name) {
    for (const ControlSpec& c : layout.controls)
        if (c.name == name) return &c;
    return nullptr;
}

void check_step(std::span<const PageRow> pages, const Layout& layout, const PageRow& row,
                const PageStep& step, std::string_view which, std::vector<std::string>& out) {
    const std::string where = std::string(row.page) + ": " + std::string(which) + " ";
    if (step.button.empty()) {
        if (step.action != None || !step.to.empty()) out.push_back(where + "step has no button");
        return;
    }
    const ControlSpec* button = find_control(layout, step.button);
    if (!button || button->kind != ControlKind::Button) {
        out.push_back(where + "button " + std::string(step.button) + " is not in the layout");
        return;
    }
    if (!lies_on(layout, *button, row.page))
        out.push_back(where + "button " + std::string(step.button) + " is not on the page");
    if (step.action != None && button->has("disabled"))
        out.push_back(where + "button " + std::string(step.button) + " is disabled");
    if (leads_to_page(step.action) && step.to.empty()) out.push_back(where + "step leads nowhere");
    if (!step.to.empty() && !find_page(pages, step.to))
        out.push_back(where + "step leads to " + std::string(step.to) + ", which is no page");
}

void check_row(std::span<const PageRow> pages, const Layout& layout, const PageRow& row, bool first,
               std::vector<std::string>& out) {
    const std::string name(row.page);
    const ControlSpec* panel = find_control(layout, row.page);
    if (!panel || panel->kind != ControlKind::Panel || !panel->has("page")) {
        out.push_back(name + ": no page panel of that name in the layout");
        return;
    }
    if (panel->has("hidden") == first)
        out.push_back(name + (first ? ": the first page is hidden at start"
                                    : ": a later page is visible at start"));
    check_step(pages, layout, row, row.back, "Back", out);
    check_step(pages, layout, row, row.next, "Next", out);
    check_step(pages, layout, row, row.cancel, "Cancel", out);
    // Enter presses the default button, so it must be one of the row's own, marked as such.
    if (!row.default_button.empty() && row.default_button != row.back.button &&
        row.default_button != row.next.button && row.default_button != row.cancel.button)
        out.push_back(name + ": default button " + std::string(row.default_button) +
                      " is none of the page's buttons");
    else if (const ControlSpec* d = find_control(layout, row.default_button);
             d && !d->has("default"))
        out.push_back(name + ": default button " + d->name + " is not marked default");
    for (const ControlSpec& c : layout.controls)
        if (c.kind == ControlKind::Button && c.has("default") && lies_on(layout, c, row.page) &&
            c.name != row.default_button)
            out.push_back(name + ": the layout's default button " + c.name +
                          " is not the row's default");
}

// Next from the first page must reach the last one, each page once.
void check_flow(std::span<const PageRow> pages, std::vector<std::string>& out) {
    std::set<std::string_view> seen;
    const PageRow* row = &pages.front();
    while (row != &pages.back()) {
        if (!seen.insert(row->page).second) {
            out.push_back("Next from " + std::string(pages.front().page) + " goes round in " +
                          std::string(row->page));
            return;
        }
        const PageRow* next = find_page(pages, row->next.to);
        if (!next) {
            out.push_back("Next from " + std::string(row->page) + " does not reach " +
                          std::string(pages.back().page));
            return;
        }
        row = next;
    }
}

}  // namespace

std::span<const PageRow> wizard_pages() {
    return kPages;
}

const PageRow* find_page(std::span<const PageRow> pages, std::string_view page) {
    for (const PageRow& row : pages)
        if (!page.empty() && row.page == page) return &row;
    return nullptr;
}

PageButton find_button(std::span<const PageRow> pages, int id) {
    for (const PageRow& row : pages)
        for (const PageStep* step : {&row.back, &row.next, &row.cancel})
            if (!step->button.empty() && control_id(step->button) == id) return {&row, step};
    return {};
}

const PageRow* installation_page(std::span<const PageRow> pages) {
    for (const PageRow& row : pages)
        for (const PageStep* step : {&row.back, &row.next, &row.cancel})
            if (step->action == Install) return find_page(pages, step->to);
    return nullptr;
}

std::vector<std::string> check_page_table(std::span<const PageRow> pages, const Layout& layout) {
    std::vector<std::string> out;
    if (pages.empty()) return {"the page table is empty"};
    std::set<std::string_view> names, buttons;
    for (const PageRow& row : pages) {
        if (!names.insert(row.page).second)
            out.push_back(std::string(row.page) + ": the page has two rows");
        for (const PageStep* step : {&row.back, &row.next, &row.cancel})
            if (!step->button.empty() && !buttons.insert(step->button).second)
                out.push_back(std::string(row.page) + ": button " + std::string(step->button) +
                              " has two steps");
        check_row(pages, layout, row, &row == &pages.front(), out);
    }
    for (const ControlSpec& c : layout.controls)
        if (c.kind == ControlKind::Panel && c.has("page") && !names.count(c.name))
            out.push_back(c.name + ": a page of the layout has no row");
    if (!installation_page(pages)) out.push_back("no step starts the installation");
    if (out.empty()) check_flow(pages, out);
    return out;
}

}  // namespace setup
