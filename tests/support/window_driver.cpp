#include "tests/support/window_driver.h"

#include <cstdio>
#include <stdexcept>
#include <thread>

#include "platform/process_start.h"

namespace testing_support {

RunningProgram::RunningProgram(const std::string& command_line,
                               const std::vector<std::string>& env_overrides,
                               const std::string& current_folder) {
    // The parent's environment with the overrides replacing variables of the same name.
    std::vector<std::string> vars;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += strlen(p) + 1) {
        std::string var = p;
        bool replaced = false;
        for (const std::string& o : env_overrides) {
            // A name may start with "=" (a drive's current folder, "=Z:=Z:\\").
            size_t eq = o.find('=', 1);
            if (_strnicmp(var.c_str(), o.c_str(), eq + 1) == 0) replaced = true;
        }
        if (!replaced) vars.push_back(var);
    }
    FreeEnvironmentStringsA(block);
    vars.insert(vars.end(), env_overrides.begin(), env_overrides.end());
    std::string env;
    for (const std::string& v : vars) env += v + '\0';
    env += '\0';

    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!setup::platform::start_process([&] {
            std::string line = command_line;
            return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, env.data(),
                                  current_folder.empty() ? nullptr : current_folder.c_str(), &si,
                                  &pi_);
        }))
        throw std::runtime_error("cannot start " + command_line + ": error " +
                                 std::to_string(GetLastError()));
}

RunningProgram::~RunningProgram() {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

long RunningProgram::wait_exit(std::chrono::milliseconds bound) {
    if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(bound.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
}

namespace {

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_of_process(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == s->pid) s->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK collect(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> top_level_windows(DWORD pid) {
    Search search{pid, {}};
    EnumWindows(collect_of_process, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> top_level_windows_of_class(const std::string& class_name) {
    std::vector<HWND> all;
    std::vector<HWND> found;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&all));
    for (HWND hwnd : all)
        if (IsWindowVisible(hwnd) && class_of(hwnd) == class_name) found.push_back(hwnd);
    return found;
}

std::vector<HWND> child_windows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string window_text(HWND hwnd) {
    // WM_GETTEXTLENGTH may count more than WM_GETTEXT gives (it is allowed to), never less.
    const LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const LRESULT n =
        SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

std::string message_text(HWND box) {
    std::string text;
    if (!box) return text;
    for (HWND child : child_windows(box))
        if (class_of(child) == "Static" && !window_text(child).empty()) text = window_text(child);
    return text;
}

HWND start_wizard(std::unique_ptr<RunningProgram>& running, const std::string& program,
                  std::chrono::seconds bound) {
    running = std::make_unique<RunningProgram>("\"" + program + "\"", std::vector<std::string>{});
    HWND form = wait_for_window(running->pid(), "TForm1", "", bound);
    if (!form) std::puts("the wizard did not show");
    return form;
}

HWND find_by_id(HWND top, int id) {
    for (HWND child : child_windows(top))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

std::string list_item_text(HWND list, long index) {
    LRESULT n = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR) return "";
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(w.data()));
    w.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
    int m = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, out.data(), m, nullptr, nullptr);
    out.resize(out.empty() ? 0 : out.size() - 1);
    return out;
}

std::string class_of(HWND hwnd) {
    char buffer[256] = {};
    int n = GetClassNameA(hwnd, buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(n));
}

HWND wait_for_window(DWORD pid, const std::string& class_name, const std::string& caption,
                     std::chrono::milliseconds bound) {
    const auto until = std::chrono::steady_clock::now() + bound;
    do {
        for (HWND hwnd : top_level_windows(pid)) {
            if (!IsWindowVisible(hwnd)) continue;
            if (!class_name.empty() && class_of(hwnd) != class_name) continue;
            if (!caption.empty() && window_text(hwnd) != caption) continue;
            return hwnd;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < until);
    return nullptr;
}

}  // namespace testing_support
