// The switches of Setup.exe and Odinstaluj.exe as a deployment tool writes them, and the
// installation log's lines.
#include <gtest/gtest.h>

#include "common/command_line.h"
#include "common/installation_log.h"

using namespace setup;

TEST(CommandLine, ArgumentsFollowTheProgramQuotedOrNot) {
    EXPECT_EQ(arguments_of("\"C:\\Pobrane pliki\\Setup.exe\"  /S /D=C:\\A"), "/S /D=C:\\A");
    EXPECT_EQ(arguments_of("Setup.exe\t/S"), "/S");
    EXPECT_EQ(arguments_of("Setup.exe"), "");
    EXPECT_EQ(arguments_of("\"Setup.exe\""), "");
}

TEST(CommandLine, SetupSwitches) {
    struct Case {
        const char* line;
        SetupArguments expected;
    };
    const Case cases[] = {
        {"", {}},
        {"/s", {.silent = true}},
        {"/S /RUN /GROUP=Gry /LOG=C:\\log.txt",
         {.silent = true, .run_programs = true, .group = "Gry", .log = "C:\\log.txt"}},
        {"/force /S", {.silent = true, .force = true}},
        // /D= takes the rest of the line, blanks and Polish letters included, as it stands.
        {"/S /d=C:\\Program Files\\Gra \xBF\xF3\xB3ta  ",
         {.silent = true, .target = "C:\\Program Files\\Gra \xBF\xF3\xB3ta"}},
        {"/P /D=C:\\A /S", {.passive = true, .target = "C:\\A /S"}},
        // Both are kept; the program lets /S win.
        {"/S /P", {.silent = true, .passive = true}},
        // Other values may be quoted, the switch with them or the value alone.
        {"\"/LOG=C:\\a b\\x.log\" /group=\"Moje gry\"",
         {.group = "Moje gry", .log = "C:\\a b\\x.log"}},
        {"/?", {.help = true}},
    };
    for (const Case& c : cases) {
        const auto parsed = parse_setup_arguments(c.line);
        ASSERT_TRUE(std::holds_alternative<SetupArguments>(parsed))
            << c.line << ": " << std::get<ArgumentError>(parsed).message;
        EXPECT_EQ(std::get<SetupArguments>(parsed), c.expected) << c.line;
    }
}

TEST(CommandLine, RefusedArgumentsNameTheSwitch) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"/X", "unknown switch '/X'"},
        {"S", "'S' is no switch (switches start with /)"},
        {"/S /s", "switch /S given twice"},
        {"/S=1", "switch /S takes no value"},
        {"/LOG=", "switch /LOG needs a value: /LOG=..."},
        {"/GROUP", "switch /GROUP needs a value: /GROUP=..."},
        {"/LOG=\"C:\\a b", "unclosed quote in /LOG=\"C:\\a b"},
    };
    for (const Case& c : cases) {
        const auto parsed = parse_setup_arguments(c.line);
        ASSERT_TRUE(std::holds_alternative<ArgumentError>(parsed)) << c.line;
        EXPECT_EQ(std::get<ArgumentError>(parsed).message, c.message) << c.line;
    }
    // A refusal shows no box when /S was asked for, and only then.
    EXPECT_TRUE(std::get<ArgumentError>(parse_setup_arguments("/x /s")).silent);
    EXPECT_TRUE(std::get<ArgumentError>(parse_setup_arguments("/s foo")).silent);
    EXPECT_FALSE(std::get<ArgumentError>(parse_setup_arguments("/SOMETHING")).silent);
}

TEST(InstallationLog, EachStepOneTimedLineWrittenAtOnce) {
    std::string file;
    int writes = 0;
    InstallationLog log([&](std::string_view bytes) { file += bytes, ++writes; },
                        [] { return std::string("2026-12-08 20:55:01"); });
    log.line("unpacked C:\\Gra\\gra.exe");
    log.line("error: two\r\nlines");
    EXPECT_EQ(file,
              "2026-12-08 20:55:01 unpacked C:\\Gra\\gra.exe\r\n"
              "2026-12-08 20:55:01 error: two  lines\r\n");
    EXPECT_EQ(writes, 2);
    InstallationLog off;
    EXPECT_FALSE(off.enabled());
    off.line("nothing");

    // A full disk ends the log, not the installation.
    int attempts = 0;
    InstallationLog full([&](std::string_view) { ++attempts, throw std::runtime_error("full"); },
                         [] { return std::string(); });
    full.line("one");
    full.line("two");
    EXPECT_EQ(attempts, 1);
    EXPECT_FALSE(full.enabled());
}
