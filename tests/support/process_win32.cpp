#include <windows.h>

#include <stdexcept>

#include "platform/process_start.h"
#include "tests/support/process.h"

namespace testing_support {

namespace {

std::wstring widen(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    w.pop_back();
    return w;
}

// Quotes one argument by the rules the C runtime uses to split a command line.
std::wstring quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        if (c == L'"')
            out.append(slashes * 2 + 1, L'\\');
        else
            out.append(slashes, L'\\');
        slashes = 0;
        out.push_back(c);
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out_read, out_write, in_read, in_write;
    if (!CreatePipe(&out_read, &out_write, &sa, 0) || !CreatePipe(&in_read, &in_write, &sa, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
    std::wstring cmd = quote(widen(program));
    for (const std::string& a : args) cmd += L" " + quote(widen(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = in_read;
    si.hStdOutput = out_write;
    si.hStdError = options.with_errors ? out_write : nullptr;
    PROCESS_INFORMATION pi{};
    if (!setup::platform::start_process([&] {
            std::wstring line = cmd;
            return CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &si, &pi);
        }))
        throw std::runtime_error("CreateProcess failed: error " + std::to_string(GetLastError()));
    CloseHandle(out_write);
    CloseHandle(in_read);
    ProcessResult r;
    char buf[4096];
    DWORD n;
    while (ReadFile(out_read, buf, sizeof buf, &n, nullptr) && n > 0) r.output.append(buf, n);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    r.exit_code = static_cast<int>(code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(out_read);
    CloseHandle(in_write);
    return r;
}

std::string test_program_path(const std::string& build_path) {
    if (build_path.empty() || build_path[0] != '/') return build_path;
    std::string out = "Z:" + build_path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

}  // namespace testing_support
