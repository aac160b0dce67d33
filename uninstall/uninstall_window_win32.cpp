#include "uninstall/uninstall_window_win32.h"

#include <windows.h>

#include <commctrl.h>

#include "platform/win_handle.h"
#include "platform/window_owner.h"
#include "uninstall/running_programs_win32.h"
#include "uninstall/texts.h"

namespace setup::uninstall {

namespace {

constexpr UINT kStepMessage = WM_APP + 1;
constexpr int kWidth = 460;
constexpr int kHeight = 300;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;

}  // namespace

UninstallWindow::UninstallWindow(Record record, PlanInput input, InstallationLog& log)
    : record_(std::move(record)),
      input_(std::move(input)),
      take_back_(platform::TakeBack::InUse::remove_at_restart, input_.protected_folders),
      log_(log) {
    title_ = text(record_, kProductTitle);
}

bool UninstallWindow::create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc)) return false;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const std::string caption = title_ + " - odinstalowanie";
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, caption.c_str(), style,
                            (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                            nullptr, instance, this);
    if (!hwnd_) return false;
    create_controls();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, IDOK));
    return true;
}

void UninstallWindow::create_controls() {
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    auto make = [&](DWORD ex, const char* cls, const std::string& label, DWORD style, int x, int y,
                    int w, int h, int id) {
        HWND control = CreateWindowExA(ex, cls, label.c_str(), WS_CHILD | WS_VISIBLE | style, x, y,
                                       w, h, hwnd_, reinterpret_cast<HMENU>(id), instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    };
    const int inner = kWidth - 2 * kMargin;
    make(0, "STATIC", format_text(text(record_, kReallyRemove), {title_}), SS_LEFT, kMargin,
         kMargin, inner, 34, kStatusId);
    make(0, PROGRESS_CLASSA, "", 0, kMargin, 52, inner, 18, kProgressId);
    make(WS_EX_CLIENTEDGE, "LISTBOX", "",
         WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, kMargin, 80, inner,
         kHeight - 80 - kButtonHeight - 2 * kMargin, kResultsId);
    const int y = kHeight - kMargin - kButtonHeight;
    make(0, "BUTTON", text(record_, kRemoveButton), BS_DEFPUSHBUTTON | WS_TABSTOP,
         kWidth - 2 * (kButtonWidth + kMargin), y, kButtonWidth, kButtonHeight, IDOK);
    make(0, "BUTTON", text(record_, kCloseButton), BS_PUSHBUTTON | WS_TABSTOP,
         kWidth - kButtonWidth - kMargin, y, kButtonWidth, kButtonHeight, IDCANCEL);
    // Lines of the record that were skipped, for the user to see before deciding.
    show_lines(record_.notes);
}

bool UninstallWindow::translate(MSG& msg) const {
    return hwnd_ != nullptr && IsDialogMessageA(hwnd_, &msg);
}

LRESULT CALLBACK UninstallWindow::procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = platform::window_owner<UninstallWindow>(hwnd, msg, lparam);
    if (self == nullptr) return DefWindowProcA(hwnd, msg, wparam, lparam);
    if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
    return self->handle(msg, wparam, lparam);
}

LRESULT UninstallWindow::handle(UINT msg, WPARAM wparam, LPARAM lparam) {
    try {
        switch (msg) {
            case WM_COMMAND:
                if (LOWORD(wparam) == IDOK && state_ == State::asking) start();
                if (LOWORD(wparam) == IDCANCEL) request_close();
                return 0;
            case DM_GETDEFID:
                // Enter confirms the question and, at the end, closes.
                return MAKELRESULT(state_ == State::finished ? IDCANCEL : IDOK, DC_HASDEFID);
            case WM_CLOSE:
                request_close();
                return 0;
            case kStepMessage:
                step();
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
    } catch (const std::exception& e) {
        // Nothing may leave a window procedure; what failed ends the removal as a failure.
        report_.add_failure(e.what());
        log_.line(std::string("błąd: ") + e.what());
        finish();
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wparam, lparam);
}

int UninstallWindow::ask(const std::string& question, UINT buttons) {
    std::string caption;
    caption.resize(static_cast<size_t>(GetWindowTextLengthA(hwnd_)) + 1);
    caption.resize(static_cast<size_t>(
        GetWindowTextA(hwnd_, caption.data(), static_cast<int>(caption.size()))));
    return MessageBoxA(hwnd_, question.c_str(), caption.c_str(), buttons);
}

void UninstallWindow::set_status(const std::string& text) {
    SetDlgItemTextA(hwnd_, kStatusId, text.c_str());
}

void UninstallWindow::show_lines(const std::vector<std::string>& lines) {
    HWND list = GetDlgItem(hwnd_, kResultsId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int widest = 0;
    {
        const platform::WindowDc dc(list);
        const platform::Selection font(dc.get(), font_);
        for (const std::string& line : lines) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SIZE size{};
            GetTextExtentPoint32A(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
            if (size.cx > widest) widest = size.cx;
        }
    }
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

void UninstallWindow::start() {
    state_ = State::checking;
    EnableWindow(GetDlgItem(hwnd_, IDOK), FALSE);
    SetFocus(GetDlgItem(hwnd_, IDCANCEL));
    set_status(text(record_, kCheckingPrograms));
    PostMessageA(hwnd_, kStepMessage, 0, 0);
}

void UninstallWindow::request_close() {
    if (state_ == State::asking || state_ == State::finished) {
        DestroyWindow(hwnd_);
        return;
    }
    if (asking_stop_) return;
    asking_stop_ = true;
    // Steps that come due while the question is open wait for its answer.
    const bool stop = ask(text(record_, kReallyStop), MB_YESNO | MB_ICONQUESTION) == IDYES;
    asking_stop_ = false;
    if (stop) stop_requested_ = true;
    if (step_waiting_) {
        step_waiting_ = false;
        PostMessageA(hwnd_, kStepMessage, 0, 0);
    }
}

bool UninstallWindow::programs_closed() {
    for (;;) {
        const std::vector<std::string> running = programs_running_in(input_.target);
        if (running.empty()) return true;
        std::string message = "Te programy działają z folderu " + input_.target + ":\n\n";
        for (const std::string& program : running) message += program + "\n";
        message += "\nZamknij je i wybierz \"Ponów\". \"Anuluj\" kończy bez usuwania czegokolwiek.";
        if (ask(message, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) {
            for (const std::string& program : running) log_.line("działa: " + program);
            return false;
        }
    }
}

void UninstallWindow::step() {
    if (asking_stop_) {
        step_waiting_ = true;
        return;
    }
    if (state_ == State::finished) return;
    if (stop_requested_) {
        report_.stopped(next_step_ > 0);
        finish();
        return;
    }
    if (state_ == State::checking) {
        if (!programs_closed()) {
            report_.stopped(false);
            finish();
            return;
        }
        input_.tree = platform::list_tree(input_.target);
        plan_ = make_plan(record_, input_);
        SendDlgItemMessageA(hwnd_, kProgressId, PBM_SETRANGE32, 0,
                            static_cast<LPARAM>(plan_.steps.size()));
        state_ = State::removing;
    } else {
        const Step& current = plan_.steps[next_step_];
        static const int phase_text[] = {kRemovingFiles, kRemovingRegistry, kWait};
        set_status(text(record_, phase_text[static_cast<int>(current.phase)]));
        const Result result = take_back_.apply(current);
        report_.add(current, result);
        log_.line(log_line(current, result));
        ++next_step_;
        SendDlgItemMessageA(hwnd_, kProgressId, PBM_SETPOS, next_step_, 0);
        if (next_step_ == plan_.steps.size()) {
            finish();
            return;
        }
    }
    PostMessageA(hwnd_, kStepMessage, 0, 0);
}

void UninstallWindow::finish() {
    state_ = State::finished;
    for (const std::string& line : plan_.kept) log_.line("pozostaje (po instalacji): " + line);
    for (const std::string& line : plan_.before)
        log_.line("pozostaje (sprzed instalacji): " + line);
    log_.line("odinstalowanie zakończone: " + report_.status(record_) + " (kod " +
              std::to_string(static_cast<int>(report_.exit_code())) + ")");
    set_status(report_.status(record_));
    show_lines(report_.lines(record_, plan_));
    EnableWindow(GetDlgItem(hwnd_, IDOK), FALSE);
    SendDlgItemMessageA(hwnd_, IDOK, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    SendDlgItemMessageA(hwnd_, IDCANCEL, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SetFocus(GetDlgItem(hwnd_, IDCANCEL));
}

}  // namespace setup::uninstall
