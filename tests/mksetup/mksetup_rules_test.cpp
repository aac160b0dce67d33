// The builder's portable rules: its command line, the layout's pictures, the signing command.
#include <gtest/gtest.h>

#include "mksetup/command_line.h"
#include "mksetup/installed_entry.h"
#include "mksetup/layout_pictures.h"
#include "mksetup/progress_view.h"
#include "mksetup/signing.h"

namespace mksetup {
namespace {

TEST(MksetupCommandLine, ReadsEveryCommandAndSwitch) {
    const Options o = parse_options({"build", "s.ini", "prod", "-o", "out", "--header", "h.jpg",
                                     "--banner", "b.jpg", "-m5", "-j", "3", "--stub", "S.exe",
                                     "--sign-cmd", "sign {in} {out}", "--Werror", "--quiet"});
    EXPECT_EQ(o.command, Command::build);
    EXPECT_EQ(o.script, "s.ini");
    EXPECT_EQ(o.product, "prod");
    EXPECT_EQ(o.out_folder, "out");
    EXPECT_EQ(o.header, "h.jpg");
    EXPECT_EQ(o.banner, "b.jpg");
    EXPECT_EQ(o.level.preset, 5);
    EXPECT_FALSE(o.level.extreme);
    EXPECT_EQ(o.threads, 3u);
    EXPECT_EQ(o.stub, "S.exe");
    EXPECT_EQ(o.sign_command, "sign {in} {out}");
    EXPECT_TRUE(o.warnings_are_errors && o.quiet);
    EXPECT_EQ(parse_options({"check", "s.ini"}).product, "");
    EXPECT_EQ(parse_options({"inspect", "Setup.exe"}).installer, "Setup.exe");
    EXPECT_EQ(parse_options({}).command, Command::help);
    EXPECT_TRUE(parse_options({"build", "s", "p", "-m9e"}).level.extreme);
}

TEST(MksetupCommandLine, RefusesWhatItCannotDo) {
    const std::vector<std::vector<std::string>> bad = {
        {"make"},                                       // unknown command
        {"build", "s.ini"},                             // no product folder
        {"build", "s.ini", "p", "extra"},               // one argument too many
        {"build", "s.ini", "p", "-o"},                  // a switch without its value
        {"build", "s.ini", "p", "-m10"},                // no such level
        {"build", "s.ini", "p", "-mx"},                 //
        {"build", "s.ini", "p", "-j", "0"},             // no threads
        {"build", "s.ini", "p", "--sign-cmd", "sign"},  // nowhere to put the files
        {"check", "s.ini", "--header", "h.jpg"},        // a build switch for check
        {"inspect"},                                    //
        {"init", "p", "--frobnicate"},                  // unknown switch
    };
    for (const auto& args : bad) EXPECT_THROW(parse_options(args), UsageError) << args[0];
}

TEST(MksetupLayout, ReplacesOnePictureAndKeepsTheRest) {
    const std::string layout =
        "Form1 TForm - 0 0 10 10\n@picture banner 4\nJPEG\n@picture other 3\nabc\n# end\n";
    EXPECT_EQ(replace_layout_picture(layout, "banner", "NEW-BYTES"),
              "Form1 TForm - 0 0 10 10\n@picture banner 9\nNEW-BYTES\n@picture other 3\nabc\n"
              "# end\n");
    // A picture's bytes may hold anything, line ends and tags included.
    const std::string tricky = "@picture banner 12\n\n@picture x\n\n";
    EXPECT_EQ(replace_layout_picture(tricky, "banner", "b"), "@picture banner 1\nb\n");
    EXPECT_THROW(replace_layout_picture(layout, "missing", "x"), std::runtime_error);
    EXPECT_THROW(replace_layout_picture("@picture banner 99\nshort\n", "banner", "x"),
                 std::runtime_error);
}

TEST(MksetupSigning, PlacesQuotedFileNames) {
    EXPECT_EQ(Signer::expand("sign -in {in} -out {out} # {in}", "/a b/x", "/o'q"),
              "sign -in '/a b/x' -out '/o'\\''q' # '/a b/x'");
}

TEST(MksetupProgress, ShowsPercentSpeedAndTimeLeft) {
    const uha::PackProgress half{uha::PackProgress::Stage::coding, 50'000'000, 100'000'000};
    const std::string line = ProgressView::terminal_line(half, 5.0);
    EXPECT_NE(line.find(" 50%"), std::string::npos) << line;
    EXPECT_NE(line.find("10.0 MB/s"), std::string::npos) << line;
    EXPECT_NE(line.find("0:05 left"), std::string::npos) << line;
    EXPECT_EQ(ProgressView::terminal_line(half, 0.1).find("MB/s"), std::string::npos);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The entry inspect shows: the installer's own values, with what the installation decides
// shown as stand-ins; nothing beyond DisplayName and UninstallString without key 6 or 7.
TEST(MksetupInspect, ShowsTheEntryTheInstallerWillWrite) {
    setup::ProductSettings product;
    product.ProductFolderName = "Firma\\Gra";
    const setup::InstallPlan plan{{{"Gra", "bin\\gra.exe"}}, {}, {}, {}, {}};
    const std::string plain = joined(installed_entry_lines(product, plan, 5000));
    EXPECT_NE(plain.find("mode: x86"), std::string::npos) << plain;
    EXPECT_NE(
        plain.find("uninstall entry: HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                   "Uninstall\\Firma\\Gra (32-bit view)\n  DisplayName: Firma\\Gra\n"
                   "  UninstallString: \"<Program Files (x86)>\\Firma\\Gra\\Odinstaluj.exe\"\n"),
        std::string::npos)
        << plain;
    EXPECT_EQ(plain.find("DisplayVersion"), std::string::npos) << plain;

    product.ProductVersion = "2.1";
    product.Architecture = setup::ProductArchitecture::x64;
    const std::string complete = joined(installed_entry_lines(product, plan, 5000));
    for (const char* part :
         {"mode: x64", "(64-bit view)", "  DisplayVersion: 2.1\n",
          "  InstallLocation: <Program Files>\\Firma\\Gra\n",
          "  InstallDate: <the day of the installation, yyyymmdd>\n", "  EstimatedSize: 5 (KiB)\n",
          "  DisplayIcon: <Program Files>\\Firma\\Gra\\bin\\gra.exe\n", "  NoModify: 1 (DWORD)\n"})
        EXPECT_NE(complete.find(part), std::string::npos) << part << "\n" << complete;
    EXPECT_NE(joined(installed_entry_lines(product, plan, std::nullopt))
                  .find("  EstimatedSize: <KiB, from the archive's table>\n"),
              std::string::npos);
    product.CreateUninstaller = false;
    EXPECT_NE(joined(installed_entry_lines(product, plan, 0)).find("uninstall entry: none"),
              std::string::npos);
}

}  // namespace
}  // namespace mksetup
