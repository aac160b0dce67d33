// The wizard's page changes, read from the page table (page_table.h), the buttons' handlers
// and the keys Enter and Escape.
#include "ui/TForm1_win32.h"
#include "ui/TGradient_win32.h"
#include "ui/form_parts_win32.h"
#include "ui/page_table.h"
#include "ui/wizard_rules.h"

namespace setup {

void TForm1::show_page(std::string_view show, std::string_view hide) {
    ShowWindow(control(show), SW_SHOW);
    ShowWindow(control(hide), SW_HIDE);
    // The new page's first control takes the focus, as Tab would give it.
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (first) SetFocus(first);
}

void TForm1::go(const PageButton& button) {
    switch (button.step->color) {
        case PageColor::Keep:
            break;
        case PageColor::White:
            set_color(kWhite);
            break;
        case PageColor::Accent:
            set_color(gradients_.at("Gradient1")->Color2());
            break;
    }
    show_page(button.step->to, button.row->page);
}

int TForm1::default_button() const {
    for (const PageRow& row : wizard_pages())
        if (IsWindowVisible(control(row.page)))
            return row.default_button.empty() ? 0 : control_id(row.default_button);
    return 0;
}

void TForm1::show_progress_only() {
    progress_only_ = true;
    const PageRow* installing = installation_page(wizard_pages());
    set_color(gradients_.at("Gradient1")->Color2());
    show_page(installing->page, wizard_pages().front().page);
    show();
}

void TForm1::show_finish() {
    if (progress_only_) return;
    const PageRow* installing = installation_page(wizard_pages());
    go({installing, &installing->next});
}

void TForm1::command(int id, int code) {
    if (code == LBN_SELCHANGE && id == control_id("ListBox1")) return ListBox1Clickx1Click();
    if (code != BN_CLICKED) return;
    const PageButton button = find_button(wizard_pages(), id);
    if (!button.step) return;
    switch (button.step->action) {
        case PageAction::None:
            return;
        case PageAction::Go:
            return go(button);
        case PageAction::Summary:
            return Button9Click(button);
        case PageAction::Install:
            return Button12Click(button);
        case PageAction::CancelFlag:
            return Button16Click();
        case PageAction::Close:
            return AnulujClick();
    }
}

void TForm1::Button9Click(const PageButton& button) {
    go(button);
    std::string summary;
    const auto lines = summary_lines(title_, text("Edit1"), text("Edit2"), summary_note_);
    for (size_t i = 0; i < lines.size(); ++i) summary += (i ? "\r\n" : "") + lines[i];
    set_text("Memo1", summary);
}

void TForm1::Button12Click(const PageButton& button) {
    go(button);
    if (on_install) on_install();
}

void TForm1::Button16Click() {
    cancel_.request();
}

void TForm1::AnulujClick() {
    cancel_.request();
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void TForm1::FormClose() {
    cancel_.request();
}

bool TForm1::translate_dialog_message(MSG& msg) {
    if (!IsWindow(hwnd_)) return false;
    if (msg.message == WM_KEYDOWN && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
        // No button is a cancel button: Escape does nothing.
        if (msg.wParam == VK_ESCAPE) return true;
        // Enter presses the button that has the focus, or else the visible page's default
        // button, except in the summary. The buttons lie on panels, where the system's dialog
        // handling does not look for them.
        if (msg.wParam == VK_RETURN) {
            HWND focus = GetFocus();
            char cls[16] = {};
            GetClassNameA(focus, cls, sizeof cls);
            if (_stricmp(cls, "Button") == 0) {
                SendMessageA(focus, BM_CLICK, 0, 0);
                return true;
            }
            if (focus != control("Memo1")) {
                if (int id = default_button()) command(id, BN_CLICKED);
                return true;
            }
        }
    }
    return IsDialogMessageA(hwnd_, &msg) != 0;
}

}  // namespace setup
