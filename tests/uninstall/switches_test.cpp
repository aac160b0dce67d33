// Odinstaluj.exe's switches as a deployment tool writes them, what the working copy is told of
// them, and the exit code a removal ends with.
#include <gtest/gtest.h>

#include "common/command_line.h"
#include "uninstall/copy_arguments.h"
#include "uninstall/report.h"

using namespace setup;
using namespace setup::uninstall;

TEST(UninstallSwitches, AcceptedAndRefused) {
    struct Case {
        const char* line;
        std::optional<UninstallArguments> accepted;  // nullopt: refused with `message`
        const char* message = "";
        bool silent_refusal = false;
    };
    const Case cases[] = {
        {"/s", UninstallArguments{.silent = true}},
        {"/LOG=\"C:\\Moje logi\\u.log\" /S",
         UninstallArguments{.silent = true, .log = "C:\\Moje logi\\u.log"}},
        {"\"/log=C:\\a b.log\"", UninstallArguments{.log = "C:\\a b.log"}},
        {"/?", UninstallArguments{.help = true}},
        {"/S /X", std::nullopt, "unknown switch '/X'", true},
        {"/D=C:\\Gra", std::nullopt, "unknown switch '/D=C:\\Gra'", false},
        {"/S /s", std::nullopt, "switch /S given twice", true},
        {"/LOG= /S", std::nullopt, "switch /LOG needs a value: /LOG=...", true},
        {"/S=1", std::nullopt, "switch /S takes no value", true},
        {"tak", std::nullopt, "'tak' is no switch (switches start with /)", false},
    };
    for (const Case& c : cases) {
        const auto parsed = parse_uninstall_arguments(c.line);
        if (c.accepted) {
            ASSERT_TRUE(std::holds_alternative<UninstallArguments>(parsed))
                << c.line << ": " << std::get<ArgumentError>(parsed).message;
            EXPECT_EQ(std::get<UninstallArguments>(parsed), *c.accepted) << c.line;
        } else {
            ASSERT_TRUE(std::holds_alternative<ArgumentError>(parsed)) << c.line;
            EXPECT_EQ(std::get<ArgumentError>(parsed), (ArgumentError{c.message, c.silent_refusal}))
                << c.line;
        }
    }
}

// The copy gets the user's switches and the result pipe back exactly, a log path with blanks
// included; a command line that adds anything else is not the copy's.
TEST(UninstallSwitches, TheCopyIsToldThem) {
    const std::string program = "C:\\Program Files\\Gra, nowa\\Odinstaluj.exe";
    for (const CopyArguments& in : {
             CopyArguments{1234, program, true, "C:\\Moje logi\\u.log", 88},
             CopyArguments{1234, program, false, "C:\\u.log", 0},
             CopyArguments{1234, program, true, "", 4294967295u},
         }) {
        const std::string line = copy_command_line("C:\\Temp\\Odinstaluj-4d2.exe", in);
        const auto out = parse_copy_command_line(line);
        ASSERT_TRUE(out) << line;
        EXPECT_EQ(*out, in) << line;
    }
    const std::string head = "x /kopia 12 \"" + program + "\" ";
    for (const std::string tail : {"/S /S", "/WYNIK=0", "/WYNIK=12 /S", "\"/LOG=\"", "/LOG=C:\\u"})
        EXPECT_FALSE(parse_copy_command_line(head + tail)) << tail;
}

TEST(UninstallSwitches, ExitCodeOfARemoval) {
    const Step file{Action::delete_file, Phase::files, "C:\\Gra\\a.exe", {}};
    struct Case {
        std::vector<Outcome> outcomes;
        bool stopped;
        ExitCode code;
    };
    const Case cases[] = {
        {{Outcome::removed, Outcome::absent, Outcome::not_empty}, false, ExitCode::done},
        {{Outcome::removed, Outcome::scheduled}, false, ExitCode::restart_needed},
        {{Outcome::scheduled, Outcome::failed}, false, ExitCode::later_step_failed},
        {{Outcome::failed}, true, ExitCode::cancelled},
    };
    for (const Case& c : cases) {
        Report report;
        for (Outcome o : c.outcomes) report.add(file, {o, "Odmowa dostępu."});
        if (c.stopped) report.stopped(true);
        EXPECT_EQ(report.exit_code(), c.code) << static_cast<int>(c.code);
    }
    EXPECT_EQ(log_line(file, {Outcome::failed, "Odmowa dostępu."}),
              "błąd: nie można usunąć C:\\Gra\\a.exe: Odmowa dostępu.");
    EXPECT_EQ(log_line(file, {Outcome::scheduled, ""}), "usunięcie po restarcie: C:\\Gra\\a.exe");
    // A key line's value step is the key's default value, not the key.
    const Step default_value{Action::delete_value,
                             Phase::registry,
                             "",
                             {RegistryRoot::current_user, "Software\\Gra", ""}};
    EXPECT_EQ(log_line(default_value, {Outcome::absent, ""}),
              "nie było: " + describe(default_value.registry) + " (wartość domyślna)");
}
