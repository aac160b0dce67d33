// fake_extractor: stands in for uha.exe in tests of the installer's extractor runner. It is
// started with the installer's command line, `"<program>" x -o+ -y+ -t"<target>" "<archive>"`,
// and the "archive" (its last argument, or the file the environment variable
// FAKE_EXTRACTOR_SCRIPT names) is a text script telling it what to do, one
// instruction a line (CR LF or LF; blank lines and lines starting with '#' are skipped):
//   out <text>             write <text>, escapes \r \n \b \0 \xHH \\ decoded, nothing added
//   repeat <count> <text>  write the decoded <text> <count> times
//   sleep <milliseconds>   wait
//   touch <relative path>  create an empty file under the -t folder, with missing folders
//   args                   write the whole command line followed by CR
//   hang                   wait until killed
//   exit <code>            end at once with that exit code
// At the script's end it exits 0. Every write is one WriteFile on the standard output handle,
// with nothing buffered, so a test decides which bytes the runner can read when. Standard
// input is never read: the runner hands over a pipe that nobody writes to. A script that
// cannot be read or a line that is not a valid instruction ends it with one line
// "fake_extractor: ..." and exit code 2. Writes that fail (the runner closed its end) are
// ignored, as the real extractor ignores them.
#include <windows.h>

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace {

void write_out(std::string_view bytes) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written == 0)
            return;
        bytes.remove_prefix(written);
    }
}

[[noreturn]] void fail(const std::string& message) {
    write_out("fake_extractor: " + message + "\r");
    ExitProcess(2);
}

// The bytes an `out` text stands for; nullopt for an unknown or cut escape.
std::optional<std::string> decode(std::string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        const size_t simple = std::string_view("rnb0\\").find(text[i]);
        if (simple != std::string_view::npos) {
            bytes += "\r\n\b\0\\"[simple];
            continue;
        }
        unsigned value = 0;
        const char* digits = text.data() + i + 1;
        if (text[i] != 'x' || text.size() - i - 1 < 2 ||
            std::from_chars(digits, digits + 2, value, 16).ptr != digits + 2)
            return std::nullopt;
        bytes += static_cast<char>(value);
        i += 2;
    }
    return bytes;
}

// A whole decimal number; nullopt when `text` is anything else.
std::optional<unsigned long> number(std::string_view text) {
    unsigned long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Creates `target`\`relative` empty, with every folder on the way. Only the file's creation
// reports a failure: some prefixes ("C:", "\\server") can never be created as folders.
bool touch(const std::string& target, const std::string& relative) {
    std::string path = target;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += relative;
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '\\' || path[i] == '/') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

[[noreturn]] void invalid(std::string_view line) {
    fail("unknown instruction " + std::string(line));
}

void run(std::string_view line, const std::string& target) {
    const size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    const std::string_view rest = space == line.npos ? "" : line.substr(space + 1);
    if (word == "out") {
        auto bytes = decode(rest);
        if (!bytes) invalid(line);
        write_out(*bytes);
    } else if (word == "repeat") {
        const size_t gap = rest.find(' ');
        auto count = number(rest.substr(0, gap));
        auto bytes = decode(gap == rest.npos ? "" : rest.substr(gap + 1));
        if (!count || !bytes) invalid(line);
        std::string all;
        for (unsigned long i = 0; i < *count; ++i) all += *bytes;
        write_out(all);
    } else if (word == "sleep") {
        auto ms = number(rest);
        if (!ms) invalid(line);
        Sleep(static_cast<DWORD>(*ms));
    } else if (word == "touch" && !rest.empty()) {
        if (target.empty()) fail("touch without a -t folder");
        if (!touch(target, std::string(rest))) fail("cannot create " + std::string(rest));
    } else if (line == "args") {
        write_out(std::string(GetCommandLineA()) + "\r");
    } else if (line == "hang") {
        for (;;) Sleep(INFINITE);
    } else if (word == "exit") {
        auto code = number(rest);
        if (!code) invalid(line);
        ExitProcess(static_cast<UINT>(*code));
    } else {
        invalid(line);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) fail("usage: fake_extractor ... <script>");
    std::string target;
    for (int i = 1; i < argc - 1; ++i)
        if (std::string_view(argv[i]).starts_with("-t")) target = argv[i] + 2;
    // FAKE_EXTRACTOR_SCRIPT names a script apart, so that the archive itself can be a real one
    // that the installer reads before the extractor runs.
    const char* apart = std::getenv("FAKE_EXTRACTOR_SCRIPT");
    const std::string path = apart && *apart ? apart : argv[argc - 1];
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) fail("cannot read " + path);
    const std::string script(std::istreambuf_iterator<char>(file), {});
    for (size_t start = 0; start < script.size();) {
        size_t end = script.find('\n', start);
        if (end == script.npos) end = script.size();
        std::string_view line(script.data() + start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == line.npos || line.starts_with('#')) continue;
        run(line, target);
    }
    return 0;
}
