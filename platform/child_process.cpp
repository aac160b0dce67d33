#include "platform/child_process.h"

#include <optional>

#include <windows.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/process_start.h"
#include "platform/win_handle.h"

namespace setup::platform {

namespace {

class PipedProcess : public ExtractorProcess {
  public:
    PipedProcess(UniqueHandle read_end, UniqueHandle write_end)
        : read_end_(std::move(read_end)), write_end_(std::move(write_end)) {}
    ~PipedProcess() override { end(); }

    void started(const PROCESS_INFORMATION& pi) {
        process_ = UniqueHandle(pi.hProcess);
        thread_ = UniqueHandle(pi.hThread);
    }

    Wait wait(unsigned ms) override {
        switch (WaitForSingleObject(process_.get(), ms)) {
            case WAIT_TIMEOUT:
                return Wait::timeout;
            case WAIT_OBJECT_0:
                return Wait::ended;
            default:
                return Wait::failed;
        }
    }

    // Asks the pipe first, so a read never waits for output that may not come: the
    // installer holds the write end too, so the pipe never reports its end by itself.
    size_t read(char* buffer, size_t max) override {
        DWORD waiting = 0;
        if (!PeekNamedPipe(read_end_.get(), nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0)
            return 0;
        DWORD got = 0;
        if (!ReadFile(read_end_.get(), buffer, static_cast<DWORD>(std::min<size_t>(max, waiting)),
                      &got, nullptr))
            return 0;
        return got;
    }

    std::optional<unsigned long> exit_code() override {
        DWORD code = 0;
        if (!process_ || !GetExitCodeProcess(process_.get(), &code) || code == STILL_ACTIVE)
            return std::nullopt;
        return code;
    }

    void end() override {
        if (process_) TerminateProcess(process_.get(), 0);
        process_.reset();
        thread_.reset();
        read_end_.reset();
        write_end_.reset();
    }

  private:
    UniqueHandle read_end_, write_end_, process_, thread_;
};

}  // namespace

ExtractorSystem::Started start_extractor(const std::string& command_line, const std::string& image,
                                         HANDLE held) {
    using Start = ExtractorSystem::Start;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 0)) {
        return {Start::pipe_failed, nullptr};
    }
    auto process = std::make_unique<PipedProcess>(UniqueHandle(read_end), UniqueHandle(write_end));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;  // 257
    si.wShowWindow = SW_HIDE;
    si.hStdInput = read_end;
    si.hStdOutput = write_end;
    si.hStdError = nullptr;
    PROCESS_INFORMATION pi{};
    if (!start_process([&] {
            std::string line = command_line;
            return CreateProcessA(nullptr, line.data(), &sa, &sa, TRUE,
                                  NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr, &si,
                                  &pi);
        })) {
        return {Start::start_failed, std::move(process)};
    }
    // Started by its path: the folder above it could have been renamed and another put in its
    // place in the meantime by the user who owns the temporary folder.
    if (!names_held_file(image, held)) {
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        SetLastError(ERROR_FILE_INVALID);
        return {Start::start_failed, std::move(process)};
    }
    ResumeThread(pi.hThread);
    process->started(pi);
    return {Start::started, std::move(process)};
}

}  // namespace setup::platform
