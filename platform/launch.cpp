#include "platform/launch.h"

#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "platform/answering_wait.h"
#include "platform/files.h"
#include "platform/process_start.h"
#include "platform/win_handle.h"

namespace setup::platform {
namespace {

std::wstring wide_of(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(wide.size() - 1);  // the terminating zero
    return wide;
}

// A VARIANT this code filled; cleared (its string freed) once.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    explicit Variant(const std::string& text) : Variant() {
        v_.vt = VT_BSTR;
        v_.bstrVal = SysAllocString(wide_of(text).c_str());
    }
    explicit Variant(long number) : Variant() {
        v_.vt = VT_I4;
        v_.lVal = number;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }

  private:
    VARIANT v_;
};

std::string failed_step(const char* step, HRESULT result) {
    return std::string(step) + ": " + system_message(static_cast<DWORD>(result));
}

// Whether the process of `token` runs elevated; nullopt when the token cannot tell.
std::optional<bool> token_elevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size))
        return std::nullopt;
    return elevation.TokenIsElevated != 0;
}

std::optional<bool> process_elevated(HANDLE process) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return std::nullopt;
    UniqueHandle token(raw);
    return token_elevated(token.get());
}

// The shell's way is worth taking only for a shell that runs as the user: one that is
// elevated itself (UAC off, the built-in administrator) would start the program elevated too.
std::optional<std::string> desktop_shell_unusable() {
    const HWND desktop = GetShellWindow();
    if (!desktop) return "brak okna pulpitu";
    DWORD pid = 0;
    GetWindowThreadProcessId(desktop, &pid);
    UniqueHandle shell(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!shell) return "proces pulpitu niedostępny: " + system_message(GetLastError());
    const std::optional<bool> elevated = process_elevated(shell.get());
    if (!elevated) return "nie można odczytać uprawnień pulpitu: " + system_message(GetLastError());
    if (*elevated) return "pulpit działa z podniesionymi uprawnieniami";
    return std::nullopt;
}

std::optional<std::string> start_directly(const std::string& command_line,
                                          const std::string& folder,
                                          const std::function<void()>& pump) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    if (!start_process([&] {
            std::string line = command_line;
            return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                                  NORMAL_PRIORITY_CLASS, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &startup, &pi);
        }))
        return "CreateProcess: " + system_message(GetLastError());
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    WaitForInputIdle(process.get(), 1000);
    wait_answering(process.get(), 10000, pump);
    wait_answering(thread.get(), 10000, pump);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> start_through_desktop_shell(const ShellStart& start,
                                                       const std::string& folder) {
    IShellWindows* raw_windows = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IShellWindows, reinterpret_cast<void**>(&raw_windows));
    if (FAILED(hr)) return failed_step("ShellWindows", hr);
    UniqueCom<IShellWindows> windows(raw_windows);

    Variant desktop_location(static_cast<long>(CSIDL_DESKTOP));
    Variant none;
    long window = 0;
    IDispatch* raw_desktop = nullptr;
    hr = windows.get()->FindWindowSW(desktop_location.get(), none.get(), SWC_DESKTOP, &window,
                                     SWFO_NEEDDISPATCH, &raw_desktop);
    UniqueCom<IDispatch> desktop(raw_desktop);
    if (hr != S_OK || !desktop) return failed_step("IShellWindows::FindWindowSW", hr);

    IServiceProvider* raw_provider = nullptr;
    hr = desktop.get()->QueryInterface(IID_IServiceProvider,
                                       reinterpret_cast<void**>(&raw_provider));
    if (FAILED(hr)) return failed_step("IServiceProvider", hr);
    UniqueCom<IServiceProvider> provider(raw_provider);

    IShellBrowser* raw_browser = nullptr;
    hr = provider.get()->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      reinterpret_cast<void**>(&raw_browser));
    if (FAILED(hr)) return failed_step("IShellBrowser", hr);
    UniqueCom<IShellBrowser> browser(raw_browser);

    IShellView* raw_view = nullptr;
    hr = browser.get()->QueryActiveShellView(&raw_view);
    if (FAILED(hr)) return failed_step("IShellBrowser::QueryActiveShellView", hr);
    UniqueCom<IShellView> view(raw_view);

    IDispatch* raw_background = nullptr;
    hr = view.get()->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                   reinterpret_cast<void**>(&raw_background));
    if (FAILED(hr)) return failed_step("IShellView::GetItemObject", hr);
    UniqueCom<IDispatch> background(raw_background);

    IShellFolderViewDual* raw_folder_view = nullptr;
    hr = background.get()->QueryInterface(IID_IShellFolderViewDual,
                                          reinterpret_cast<void**>(&raw_folder_view));
    if (FAILED(hr)) return failed_step("IShellFolderViewDual", hr);
    UniqueCom<IShellFolderViewDual> folder_view(raw_folder_view);

    IDispatch* raw_application = nullptr;
    hr = folder_view.get()->get_Application(&raw_application);
    if (FAILED(hr) || !raw_application) return failed_step("IShellFolderViewDual::Application", hr);
    UniqueCom<IDispatch> application(raw_application);

    IShellDispatch2* raw_shell = nullptr;
    hr = application.get()->QueryInterface(IID_IShellDispatch2,
                                           reinterpret_cast<void**>(&raw_shell));
    if (FAILED(hr)) return failed_step("IShellDispatch2", hr);
    UniqueCom<IShellDispatch2> shell(raw_shell);

    BSTR file = SysAllocString(wide_of(start.file).c_str());
    Variant parameters(start.parameters);
    Variant directory(folder);
    Variant operation(std::string("open"));
    Variant show(static_cast<long>(SW_SHOW));
    hr = shell.get()->ShellExecute(file, *parameters.get(), *directory.get(), *operation.get(),
                                   *show.get());
    SysFreeString(file);
    if (FAILED(hr)) return failed_step("IShellDispatch2::ShellExecute", hr);
    return std::nullopt;
}

LaunchReport LaunchProgram(const std::string& command_line, const std::string& folder,
                           const std::function<void()>& pump) {
    HANDLE raw = nullptr;
    std::optional<bool> elevated;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        UniqueHandle token(raw);
        elevated = token_elevated(token.get());
    }
    const auto through_shell = [&]() -> std::optional<std::string> {
        const std::optional<ShellStart> start = shell_start_of(command_line);
        if (!start) return "nie program, lecz dokument: " + command_line;
        // The shell would show its own message for a missing program.
        if (!file_exists(start->file)) return "nie ma programu " + start->file;
        if (auto unusable = desktop_shell_unusable()) return unusable;
        return start_through_desktop_shell(*start, folder);
    };
    // A process that cannot tell is taken as elevated: the shell's way is then tried first.
    return launch_by_route(elevated.value_or(true), through_shell,
                           [&] { return start_directly(command_line, folder, pump); });
}

}  // namespace setup::platform
