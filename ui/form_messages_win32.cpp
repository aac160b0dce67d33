// The wizard window's messages: its window procedures, the painting of the window and its
// panels, and the notifications the panels pass up to the window.
#include "platform/win_handle.h"
#include "platform/window_owner.h"
#include "ui/TDirectoryListBox_win32.h"
#include "ui/TDriveComboBox_win32.h"
#include "ui/TForm1_win32.h"
#include "ui/form_parts_win32.h"
#include "ui/wizard_rules.h"

namespace setup {

LRESULT CALLBACK TForm1::form_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* form = platform::window_owner<TForm1>(hwnd, msg, lparam);
    if (msg == WM_NCCREATE && form) form->hwnd_ = hwnd;
    if (!form) return DefWindowProcA(hwnd, msg, wparam, lparam);
    try {
        return form->handle_message(msg, wparam, lparam);
    } catch (const std::exception& e) {
        // A handler's runtime error ends that handler; the window goes on.
        MessageBoxA(hwnd, e.what(), "Setup", MB_OK | MB_ICONERROR);
        return 0;
    }
}

LRESULT CALLBACK TForm1::panel_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* form = platform::window_owner<TForm1>(hwnd, msg, lparam);
    if (!form) return DefWindowProcA(hwnd, msg, wparam, lparam);
    try {
        return form->panel_message(hwnd, msg, wparam, lparam);
    } catch (const std::exception& e) {
        MessageBoxA(form->hwnd_, e.what(), "Setup", MB_OK | MB_ICONERROR);
        return 0;
    }
}

LRESULT TForm1::panel_message(HWND panel, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(panel, &r);
            COLORREF c = panel_colors_.count(panel) ? panel_colors_[panel] : kWhite;
            const bool page = c == kWhite;
            if (page && themed()) c = color_;  // the window's colour shows through
            FillRect(reinterpret_cast<HDC>(wparam), &r,
                     platform::UniqueBrush(CreateSolidBrush(c)).get());
            if (!page) DrawEdge(reinterpret_cast<HDC>(wparam), &r, BDR_RAISEDINNER, BF_RECT);
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wparam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            // Titles lie over the header band: let it show through them.
            if (transparent_.count(reinterpret_cast<HWND>(lparam)))
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return reinterpret_cast<LRESULT>(panel_colors_[panel] == kWhite
                                                 ? GetStockObject(WHITE_BRUSH)
                                                 : GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_COMMAND:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_NOTIFY:
        case WM_CTLCOLORLISTBOX:
            return SendMessageA(hwnd_, msg, wparam, lparam);
    }
    return DefWindowProcA(panel, msg, wparam, lparam);
}

LRESULT TForm1::handle_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if (id == IDCANCEL || id == IDOK) return 0;  // Escape and a page without default
            // The folder and drive lists are told of their own notifications.
            if (drives_ && reinterpret_cast<HWND>(lparam) == drives_->handle())
                drives_->notify(HIWORD(wparam));
            else if (directories_ && reinterpret_cast<HWND>(lparam) == directories_->handle())
                directories_->notify(HIWORD(wparam));
            else
                command(id, HIWORD(wparam));
            return 0;
        }
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            if (directories_ && wparam == static_cast<WPARAM>(control_id("DirectoryListBox1")))
                return directories_->owner_draw(msg, lparam);
            break;
        case DM_GETDEFID: {
            int id = default_button();
            return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
        }
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd_, &r);
            FillRect(reinterpret_cast<HDC>(wparam), &r,
                     platform::UniqueBrush(CreateSolidBrush(color_)).get());
            return 1;
        }
        case WM_CLOSE:
            // The extractor's file is its owner's to remove, once its process has ended.
            FormClose();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            RemovePropA(hwnd_, kColorProperty);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd_, msg, wparam, lparam);
}

}  // namespace setup
