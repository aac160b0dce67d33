#include <gtest/gtest.h>

#include "uha/src/cli.h"

using uha::Command;
using uha::parse_command_line;

TEST(CommandLine, TheInstallersExtractCommand) {
    // What the installer's command line becomes after the C runtime splits it.
    auto cl =
        parse_command_line({"x", "-o+", "-y+", "-tC:\\Program Files\\Gra", "C:\\d\\data.uha"});
    EXPECT_EQ(cl.command, Command::extract);
    EXPECT_TRUE(cl.overwrite);
    EXPECT_TRUE(cl.assume_yes);
    EXPECT_EQ(cl.target, "C:\\Program Files\\Gra");
    EXPECT_EQ(cl.archive, "C:\\d\\data.uha");
}

TEST(CommandLine, Defaults) {
    auto cl = parse_command_line({"x", "a.uha"});
    EXPECT_FALSE(cl.overwrite);
    EXPECT_EQ(cl.target, ".");
    EXPECT_EQ(cl.level.preset, 9);
    EXPECT_TRUE(cl.level.extreme);
}

TEST(CommandLine, AddWithSwitches) {
    auto cl = parse_command_line({"a", "-m5", "-b4", "-j2", "out.uha", "dir", "file"});
    EXPECT_EQ(cl.command, Command::add);
    EXPECT_EQ(cl.level.preset, 5);
    EXPECT_FALSE(cl.level.extreme);
    EXPECT_EQ(cl.block_size, 4u << 20);
    EXPECT_EQ(cl.threads, 2u);
}

// Each input carries the -C folder in force where it stands.
TEST(CommandLine, AddInputsWithTheirFolders) {
    using uha::PackInput;
    struct Case {
        std::vector<std::string> args;
        std::vector<PackInput> inputs;
    };
    const Case cases[] = {
        {{"a", "out.uha", "dir", "file"}, {{"", "dir"}, {"", "file"}}},
        {{"a", "o.uha", "--", "-dash"}, {{"", "-dash"}}},
        {{"a", "o.uha", "-C", "product", "."}, {{"product", "."}}},
        {{"a", "o.uha", "-Cproduct", "."}, {{"product", "."}}},
        // Each -C holds until the next; the archive itself is never read from it.
        {{"a", "o.uha", "bin", "-C", "sample/product", ".", "x", "-C", "build", "Witaj.exe"},
         {{"", "bin"}, {"sample/product", "."}, {"sample/product", "x"}, {"build", "Witaj.exe"}}},
        {{"a", "-C", "p", "o.uha", "."}, {{"p", "."}}},
        {{"a", "o.uha", "-C", "p", "--", "-C"}, {{"p", "-C"}}},
    };
    for (const Case& c : cases) {
        const auto cl = parse_command_line(c.args);
        EXPECT_EQ(cl.inputs, c.inputs) << c.args.back();
        EXPECT_EQ(cl.archive.back(), 'a') << c.args.back();
    }
}

TEST(CommandLine, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> bad = {{},
                                                       {"z", "a.uha"},
                                                       {"x"},
                                                       {"a", "out.uha"},
                                                       {"x", "a.uha", "extra"},
                                                       {"x", "-q", "a.uha"},
                                                       {"x", "-o?", "a.uha"},
                                                       {"x", "-t", "a.uha"},
                                                       {"a", "-m10", "o", "f"},
                                                       {"a", "-b0", "o", "f"},
                                                       {"a", "-b4097", "o", "f"},
                                                       {"a", "-mx", "o", "f"},
                                                       {"a", "o", "f", "-C"},
                                                       {"a", "o", "f", "-C", ""},
                                                       {"a", "o", "f", "-C", "dir"},
                                                       {"x", "-C", "dir", "a.uha"}};
    for (const auto& args : bad) EXPECT_THROW(parse_command_line(args), uha::UsageError);
    EXPECT_EQ(parse_command_line({"-h"}).command, Command::help);
}

TEST(CommandLine, WindowsCommandLinesSplitWithoutEscapes) {
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        // The installer's line for a target typed with a final backslash.
        {"\"C:\\Temp\\Uha.exe\" x -o+ -y+ -t\"C:\\Program Files\\Gra\\\" \"D:\\data.uha\"",
         {"x", "-o+", "-y+", "-tC:\\Program Files\\Gra\\", "D:\\data.uha"}},
        {"uha.exe\tl  \t a.uha ", {"l", "a.uha"}},
        {"\"C:\\Program Files\\uha.exe\" t", {"t"}},
        {"uha x \"\" -t\"a b\"c", {"x", "", "-ta bc"}},
        {"uha", {}},
        {"", {}},
        {"uha l \"unterminated a", {"l", "unterminated a"}},
    };
    for (const Case& c : cases) EXPECT_EQ(uha::split_command_line(c.line), c.args) << c.line;
}
