// fake_extractor as the extractor runner's tests script it: what it writes is exactly the
// script's bytes, and its exit code, target folder and command line come through unchanged.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/process.h"
#include "tests/support/temp_tree.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace testing_support;

namespace {

class FakeExtractor : public ::testing::Test {
  protected:
    TempDir tmp;
    ProcessResult run(const std::vector<std::string>& args) {
        return run_process(test_program_path(FAKE_EXTRACTOR), args);
    }
    // The script as the installer passes its archive: last, after the extraction switches.
    ProcessResult run_script(const std::string& script) {
        write_file(tmp / "script.uha", script);
        return run({"x", "-o+", "-y+", "-t" + utf8_of(tmp / "out"), utf8_of(tmp / "script.uha")});
    }
};

std::string repeated(const std::string& text, int count) {
    std::string all;
    while (count-- > 0) all += text;
    return all;
}

struct Case {
    const char* name;
    std::string script;
    std::string output;
    int exit_code;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const Case kCases[] = {
    {"Escapes", "out a\\r\\nb\\bc\\0d\\xB3\\\\\\xffz\r\n", "a\r\nb\bc\0d\xB3\\\xFFz"s, 0},
    {"SpacesKeptSkippedLinesSilent", "# note\n\n  \r\nout  a \nsleep 20\r\nout b", " a b", 0},
    {"RepeatOutgrowsOneRead", "repeat 1000 Total:  42%\\r\\n\n", repeated("Total:  42%\r\n", 1000),
     0},
    {"ExitEndsAtOnce", "out a\nexit 7\nout b\n", "a", 7},
    {"UnknownInstruction", "out a\r\njump 3\r\nout b\n",
     "afake_extractor: unknown instruction jump 3\r", 2},
    {"BadEscape", "out \\q\n", "fake_extractor: unknown instruction out \\q\r", 2},
    {"BadNumber", "sleep 1s\n", "fake_extractor: unknown instruction sleep 1s\r", 2},
};

class FakeExtractorScript : public FakeExtractor, public ::testing::WithParamInterface<Case> {};

TEST_P(FakeExtractorScript, WritesExactlyWhatTheScriptSays) {
    ProcessResult r = run_script(GetParam().script);
    EXPECT_EQ(r.output, GetParam().output);
    EXPECT_EQ(r.exit_code, GetParam().exit_code);
}

INSTANTIATE_TEST_SUITE_P(Cases, FakeExtractorScript, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeExtractor, TouchesUnderTargetAndEchoesCommandLine) {
    const std::string target = utf8_of(tmp / "Program Files" / "Gra");  // quoted: a space
    const std::string script = utf8_of(tmp / "script.uha");
    write_file(tmp / "script.uha", "touch sub/dir/a.txt\nargs\n");
    ProcessResult r = run({"x", "-o+", "-y+", "-t" + target, script});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_TRUE(r.output.ends_with(" x -o+ -y+ \"-t" + target + "\" " + script + "\r")) << r.output;
    const fs::path touched = tmp / "Program Files" / "Gra" / "sub" / "dir" / "a.txt";
    ASSERT_TRUE(fs::exists(touched));
    EXPECT_EQ(fs::file_size(touched), 0u);
}

TEST_F(FakeExtractor, UnreadableScript) {
    const std::string missing = utf8_of(tmp / "missing.uha");
    ProcessResult r = run({"x", missing});
    EXPECT_EQ(r.output, "fake_extractor: cannot read " + missing + "\r");
    EXPECT_EQ(r.exit_code, 2);
}

}  // namespace
