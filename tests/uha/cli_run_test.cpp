// The uha program as the installer and a user run it: exit codes, and output lines that
// end in CR LF, hold no zero byte and follow the rules the installer parses them by.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "tests/uha/archive_builder.h"
#include "tests/uha/installer_rules.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// The console text a UTF-8 string becomes: OEM code page on Windows.
std::string console_text(const std::string& utf8) {
#ifdef _WIN32
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    int m = WideCharToMultiByte(CP_OEMCP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, w.c_str(), -1, out.data(), m, nullptr, nullptr);
    out.pop_back();
    return out;
#else
    return utf8;
#endif
}

// Names as the program shows them: with this system's folder separator.
std::string shown(std::string name) {
#ifdef _WIN32
    std::replace(name.begin(), name.end(), '/', '\\');
#endif
    return name;
}

std::vector<std::string> lines_of(const std::string& output) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t cr; (cr = output.find('\r', start)) != std::string::npos;) {
        lines.push_back(output.substr(start, cr - start));
        start = cr + 1;
        if (start < output.size() && output[start] == '\n') ++start;
    }
    EXPECT_EQ(start, output.size()) << "output does not end with a line end";
    return lines;
}

class UhaProgram : public ::testing::Test {
  protected:
    TempDir tmp;
    ProcessResult run(const std::vector<std::string>& args, const ProcessOptions& opt = {}) {
        return run_process(test_program_path(UHA_EXE), args, opt);
    }
    std::string path(const std::string& rel) { return utf8_of(tmp / rel); }
};

}  // namespace

TEST_F(UhaProgram, InstallerCommandLineProducesParsableProgress) {
    const std::string polish = "Dokumenty/Źródła i żółć.txt";
    write_file(tmp / "src/a.txt", "alpha");
    write_file(tmp / ("src/" + polish), noise(7000, 4));
    write_file(tmp / "src/z/empty", "");
    ProcessResult packed = run({"a", "-m1", path("data.uha"), "-C", path("src"), "."});
    ASSERT_EQ(packed.exit_code, 0) << packed.output;

    // Exactly the switches the installer passes; the target does not exist yet.
    ProcessResult r = run({"x", "-o+", "-y+", "-t" + path("Program Files/Gra"), path("data.uha")});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(r.output.find('\0'), std::string::npos);
    EXPECT_EQ(snapshot(tmp / "Program Files/Gra"), snapshot(tmp / "src"));

    std::vector<std::string> names;
    std::vector<int> percents;
    for (const std::string& line : lines_of(r.output)) {
        if (line.starts_with("Extracting ")) names.push_back(installer_name(line));
        if (auto p = installer_percent(line)) percents.push_back(*p);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{console_text(shown(polish)), "a.txt", shown("z/empty")}));
    ASSERT_GE(percents.size(), 3u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
}

TEST_F(UhaProgram, ExistingFileIsKeptWithoutOverwriteAndALineSaysSo) {
    write_file(tmp / "a.uha", build_archive({{"a.txt", "archived"}}));
    write_file(tmp / "out/a.txt", "mine");
    ProcessResult r = run({"x", "-t" + path("out"), path("a.uha")});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.output.find("Skipping a.txt: it exists"), std::string::npos) << r.output;
    EXPECT_EQ(read_file(tmp / "out/a.txt"), "mine");
}

TEST_F(UhaProgram, FailuresExitNonZeroWithOneLineSayingWhat) {
    write_file(tmp / "good.uha", build_archive({{"a.txt", noise(4000, 5)}}));
    std::string damaged = read_file(tmp / "good.uha");
    damaged[100] ^= 0x40;
    write_file(tmp / "damaged.uha", damaged);
    write_file(tmp / "evil.uha", build_archive({{"../evil.txt", "x"}}));
    write_file(tmp / "junk.uha", "this is not an archive at all, just text");

    struct Case {
        std::vector<std::string> args;
        int exit_code;
        std::string says;
    };
    const Case cases[] = {
        {{"x", "-t" + path("o1"), path("missing.uha")}, 1, "missing.uha"},
        {{"x", "-t" + path("o2"), path("damaged.uha")}, 1, "damaged"},
        {{"t", path("damaged.uha")}, 1, "damaged"},
        {{"x", "-t" + path("o3"), path("evil.uha")}, 1, "evil.uha"},
        {{"l", path("junk.uha")}, 1, "not an archive"},
        {{"x", "-q", path("good.uha")}, 2, "unknown switch -q"},
        {{"x"}, 2, "no archive"},
    };
    for (const Case& c : cases) {
        ProcessResult r = run(c.args);
        EXPECT_EQ(r.exit_code, c.exit_code) << r.output;
        auto lines = lines_of(r.output);
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(lines.back().starts_with("Error: ")) << lines.back();
        EXPECT_NE(lines.back().find(c.says), std::string::npos) << lines.back();
    }
    EXPECT_FALSE(fs::exists(tmp / "evil.txt"));
    EXPECT_FALSE(fs::exists(tmp / "o2/a.txt"));
}

TEST_F(UhaProgram, ArchiveLargerThanTheFreeSpaceExitsThreeAndWritesNothing) {
    // The table claims a file of 1 PiB, more than any disk here holds; the refusal comes
    // before its first byte would be decoded.
    const uint64_t claimed = 1ull << 50;
    BuildOptions opt;
    opt.tweak = [&](uha::Table& t) { t.entries[1].size = t.blocks[0].size = claimed; };
    write_file(tmp / "huge.uha", build_archive({{"docs", "", true}, {"docs/huge.bin", "x"}}, opt));
    ProcessResult r = run({"x", "-o+", "-y+", "-t" + path("out"), path("huge.uha")});
    EXPECT_EQ(r.exit_code, 3) << r.output;
    const auto lines = lines_of(r.output);
    ASSERT_EQ(lines.size(), 1u) << r.output;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        lines[0], m,
        std::regex("uha: not enough space: ([0-9]+) bytes needed, ([0-9]+) bytes free")))
        << lines[0];
    EXPECT_EQ(m[1].str(), std::to_string(claimed));
    EXPECT_LT(std::stoull(m[2].str()), claimed);
    EXPECT_EQ(snapshot(tmp / "out"), (std::map<std::string, std::string>{}));
}

TEST_F(UhaProgram, ListAndTest) {
    write_file(tmp / "a.uha", build_archive({{"docs", "", true}, {"docs/żółw.txt", "x"}}));
    ProcessResult list = run({"l", path("a.uha")});
    EXPECT_EQ(list.exit_code, 0);
    EXPECT_NE(list.output.find(console_text(shown("docs/żółw.txt"))), std::string::npos)
        << list.output;
    EXPECT_NE(list.output.find("1 files, 1 folders"), std::string::npos) << list.output;
    // The columns: size right-aligned in 12, share in 5 with one decimal; the summary's ratio.
    EXPECT_TRUE(
        std::regex_search(list.output, std::regex(R"((^|\n) {11}1  [ 0-9]{2}[0-9]\.[0-9]%  )")))
        << list.output;
    EXPECT_TRUE(std::regex_search(
        list.output, std::regex(R"(bytes, packed to [0-9]+ bytes \([0-9]+\.[0-9]%\))")))
        << list.output;
    ProcessResult test = run({"t", path("a.uha")});
    EXPECT_EQ(test.exit_code, 0) << test.output;
    EXPECT_NE(test.output.find("all OK"), std::string::npos);
    ProcessResult help = run({"-h"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.output.find("usage: uha"), std::string::npos);
    EXPECT_NE(help.output.find("\n             3 the destination lacks"), std::string::npos)
        << "every line of the usage, the last one included";
}

#ifndef _WIN32
// A disk that fills up: the write fails, the program says so, and no partial file remains.
TEST_F(UhaProgram, FullDiskIsAClearError) {
    write_file(tmp / "a.uha", build_archive({{"small.txt", "s"}, {"big.bin", noise(400000, 6)}}));
    ProcessOptions opt;
    opt.file_size_limit = 100000;
    ProcessResult r = run({"x", "-t" + path("out"), path("a.uha")}, opt);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("Error: cannot write big.bin"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(tmp / "out/big.bin"));
}
#endif

#ifdef _WIN32
// Ended from outside in the middle of a file, as a cancelled installation ends it, the
// extractor leaves no temporary file behind: the system deletes it with the last handle.
TEST_F(UhaProgram, EndedFromOutsideLeavesNoTemporaryFile) {
    fs::create_directories(tmp / "in");
    {
        // 512 MiB of zeros pack small but take a while to write out.
        std::ofstream big(tmp / "in" / "big.bin", std::ios::binary);
        big.seekp((512ll << 20) - 1);
        big.put('\0');
    }
    ASSERT_EQ(run({"a", "-m1", path("a.uha"), "-C", path("in"), "."}).exit_code, 0);
    fs::remove_all(tmp / "in");
    std::wstring command = L"\"" + fs::path(test_program_path(UHA_EXE)).wstring() + L"\" x -t\"" +
                           (tmp / "out").wstring() + L"\" \"" + (tmp / "a.uha").wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    const auto temporary = [this] {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(tmp / "out", ec))
            if (e.path().extension() == ".tmp") return true;
        return false;
    };
    bool seen = false;
    while (!(seen = temporary()) && WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
    }
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(seen) << "the extraction ended before it could be stopped";
    // The system closes the ended process's handles a moment after it ends.
    for (int i = 0; i < 100 && temporary(); ++i) Sleep(20);
    EXPECT_FALSE(temporary());
    EXPECT_FALSE(fs::exists(tmp / "out" / "big.bin"));
}
#endif
