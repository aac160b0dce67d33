#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "uha/src/cli.h"
#include "uha/src/output.h"
#include "uha/src/text_win32.h"

namespace uha {

namespace win32 {

std::wstring widen(const std::string& text, unsigned code_page) {
    if (text.empty()) return {};
    int n =
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& text, unsigned code_page) {
    if (text.empty()) return {};
    // UTF-8 has a form for every character, and the system refuses a default character for it
    // (ERROR_INVALID_PARAMETER, nothing converted).
    const char* fallback = code_page == CP_UTF8 ? nullptr : "?";
    int n = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                0, fallback, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        fallback, nullptr);
    return out;
}

std::optional<std::string> narrow_exact(const std::wstring& text, unsigned code_page) {
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        out.data(), n, nullptr, &lossy);
    // A round trip catches what the flag misses (code pages without best-fit tables).
    if (lossy || widen(out, code_page) != text) return std::nullopt;
    return out;
}

}  // namespace win32

namespace {
// Lines for a pipe (the installer reads the extractor's output through one) are written in
// batches: every write to a Windows pipe costs a round trip through the system, two per file
// with many small files. A batch goes out when it reaches a reader's chunk, when its first line
// has waited 50 ms (checked at each line; a long file writes its total every 250 ms), and at
// the end. A console or a file gets each line at once.
class Win32Console : public LineSink {
  public:
    Win32Console() : piped_(GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE) {}
    ~Win32Console() override { flush(); }
    Win32Console(const Win32Console&) = delete;
    Win32Console& operator=(const Win32Console&) = delete;

    void line(const std::string& text) override {
        const auto now = std::chrono::steady_clock::now();
        if (pending_.empty()) first_ = now;
        pending_ += win32::narrow(win32::widen(text, CP_UTF8), CP_OEMCP);
        pending_ += "\r\n";
        if (!piped_ || pending_.size() >= kBatchBytes || now - first_ >= kBatchDelay) flush();
    }

  private:
    static constexpr size_t kBatchBytes = 2000;
    static constexpr auto kBatchDelay = std::chrono::milliseconds(50);

    void flush() {
        if (pending_.empty()) return;
        std::fwrite(pending_.data(), 1, pending_.size(), stdout);
        std::fflush(stdout);
        pending_.clear();
    }

    bool piped_;
    std::string pending_;
    std::chrono::steady_clock::time_point first_;
};
}  // namespace

void prepare_console() {
    // The installer runs the archiver hidden: a system error box would wait for nobody.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    _setmode(_fileno(stdout), _O_BINARY);  // "\r\n" as written, not "\r\r\n"
}

std::vector<std::string> program_arguments(int, char**) {
    return split_command_line(GetCommandLineA());
}

LineSink& console() {
    static Win32Console instance;
    return instance;
}

}  // namespace uha
