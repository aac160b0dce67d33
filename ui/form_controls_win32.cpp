// The wizard window's controls, one per layout line: the system's own classes, and our
// gradient bands, pictures and folder and drive lists.
#include "ui/TForm1_win32.h"

#include <commctrl.h>

#include "platform/error/runtime_error.h"
#include "platform/win_handle.h"
#include "ui/TDirectoryListBox_win32.h"
#include "ui/TDriveComboBox_win32.h"
#include "ui/TGradient_win32.h"
#include "ui/form_parts_win32.h"
#include "ui/picture_win32.h"
#include "ui/wizard_rules.h"

namespace setup {

namespace {

// How a control of one of the system's classes is made.
struct SystemClass {
    const char* name;
    DWORD style = 0;
    DWORD ex = 0;
    bool keeps_caption = true;
};

SystemClass system_class(const ControlSpec& item) {
    switch (item.kind) {
        case ControlKind::Panel:
            return {"TPanel", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, false};
        case ControlKind::Label:
            // Right-aligned labels keep to one line, clipped at the left as they overflow.
            return {"STATIC", DWORD(SS_NOPREFIX | (item.has("right") ? SS_RIGHT | SS_CENTERIMAGE
                                                   : item.has("wordwrap") ? SS_LEFT
                                                                          : SS_LEFTNOWORDWRAP))};
        case ControlKind::Button:
            return {"BUTTON",
                    DWORD(WS_TABSTOP | (item.has("default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON))};
        case ControlKind::Edit:
            return {"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::Memo:
            return {"EDIT",
                    WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_WANTRETURN | WS_VSCROLL |
                        ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE, false};
        case ControlKind::ListBox:
            return {"LISTBOX",
                    DWORD(WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                          (item.has("sorted") ? LBS_SORT : 0)),
                    WS_EX_CLIENTEDGE};
        case ControlKind::GroupBox:
            return {"BUTTON", BS_GROUPBOX, 0, false};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSA, 0, 0, false};
        default:
            return {nullptr};
    }
}

}  // namespace

TForm1::TForm1(CancelToken& cancel) : cancel_(cancel) {}
TForm1::~TForm1() = default;

void TForm1::create_control(const ControlSpec& item, HINSTANCE instance, const Layout& layout) {
    HWND parent = control(item.parent);
    const int id = control_id(item.name);
    switch (item.kind) {
        case ControlKind::Form:
            return;
        case ControlKind::Gradient: {
            auto g = std::make_unique<TGradient>(parent, item.left, item.top, item.width,
                                                 item.height, id);
            g->set_Color1(kWhite);
            g->set_Color2(kWhite);
            g->set_Horizontal(true);
            controls_[item.name] = g->handle();
            gradients_[item.name] = std::move(g);
            return;
        }
        case ControlKind::Image:
            return create_image(item, parent, id, layout);
        case ControlKind::DirectoryListBox:
            directories_ = std::make_unique<TDirectoryListBox>(
                parent, id, item.left, item.top, item.width, item.height, fonts_->get(item));
            directories_->on_change = [this] { DirectoryListBox1Change(); };
            controls_[item.name] = directories_->handle();
            return;
        case ControlKind::DriveComboBox:
            drives_ = std::make_unique<TDriveComboBox>(parent, id, item.left, item.top, item.width,
                                                       item.height, fonts_->get(item));
            if (directories_) drives_->link(*directories_);
            controls_[item.name] = drives_->handle();
            return;
        default:
            return create_system_control(item, parent, id, instance);
    }
}

void TForm1::create_image(const ControlSpec& item, HWND parent, int id, const Layout& layout) {
    auto img = std::make_unique<TImage>(parent, id, item.left, item.top, item.width, item.height);
    auto pic = item.values.find("picture");
    if (pic != item.values.end()) {
        const std::string& bytes = layout.pictures.at(pic->second);
        img->set_picture(std::make_shared<RgbImage>(decode_system_jpeg(
                             reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())),
                         false);
    }
    controls_[item.name] = img->handle();
    images_[item.name] = std::move(img);
}

void TForm1::create_system_control(const ControlSpec& item, HWND parent, int id,
                                   HINSTANCE instance) {
    const SystemClass cls = system_class(item);
    const DWORD style = WS_CHILD | (item.has("hidden") ? 0 : WS_VISIBLE) |
                        (item.has("disabled") ? WS_DISABLED : 0) | cls.style;
    const char* caption = cls.keeps_caption ? item.caption.c_str() : "";
    HWND hwnd = CreateWindowExA(cls.ex, cls.name, caption, style, item.left, item.top, item.width,
                                item.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
    if (!hwnd) throw RuntimeError("Nie można utworzyć kontrolki " + item.name);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->get(item)), FALSE);
    if (item.kind == ControlKind::Memo) SendMessageA(hwnd, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    if (item.kind == ControlKind::ProgressBar) {
        SendMessageA(hwnd, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(hwnd, PBM_SETSTEP, 1, 0);
    }
    if (item.kind == ControlKind::Panel) {
        panel_kind_[item.name] = item.has("page") ? "page" : "body";
        panel_colors_[hwnd] = item.has("page") ? kWhite : GetSysColor(COLOR_BTNFACE);
    }
    controls_[item.name] = hwnd;
    if (item.has("transparent")) transparent_.insert(hwnd);
    if (item.has("autosize")) autosize_label(hwnd);
}

void TForm1::autosize_label(HWND label) {
    char buffer[1024];
    int n = GetWindowTextA(label, buffer, sizeof buffer);
    SIZE size{};
    {
        const platform::WindowDc dc(label);
        const platform::Selection font(
            dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc.get(), buffer, n, &size);
    }
    SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace setup
