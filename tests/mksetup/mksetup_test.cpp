// The Linux builder run as a packager runs it, on the Windows build's stub: what it writes,
// that it writes the same bytes again, and that a failure writes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "builder/pe_resources.h"
#include "mksetup/stub.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "uha/src/archive.h"
#include "uha/src/fs.h"

namespace mksetup {
namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::run_process;
using testing_support::TempDir;
using testing_support::write_file;

// A small product with a Polish name, and a script in UTF-8 with LF line ends.
constexpr const char* kScript =
    "[I]\n1=Mój Program 1.0\n2=Mój Program\n5=$E0A040\n"
    "[M]\n0=2\n1a=Mój Program\n1b=Program.exe\n2a=Czytaj mnie\n2b=Dokumenty\\Czytaj.txt\n";

struct Outcome {
    int exit_code;
    std::string output;  // standard output and error
};

class MksetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir_ / "product/Dokumenty");
        write_file(dir_ / "product/Program.exe", testing_support::noise(5000, 1));
        write_file(dir_ / "product/Dokumenty/Czytaj.txt", "Zażółć gęślą jaźń\r\n");
        write_file(script(), kScript);
    }
    Outcome mksetup(std::vector<std::string> args) {
        testing_support::ProcessOptions options;
        options.with_errors = true;
        auto r = run_process(MKSETUP, args, options);
        return {r.exit_code, r.output};
    }
    Outcome build(const fs::path& out, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"build", script(), product(), "-o", out.string()};
        args.insert(args.end(), more.begin(), more.end());
        return mksetup(args);
    }
    std::string script() const { return (dir_ / "setup.ini").string(); }
    std::string product() const { return (dir_ / "product").string(); }
    TempDir dir_;
};

std::vector<setup::pe::Resource> resources_of(const fs::path& exe) {
    const std::string bytes = read_file(exe);
    return setup::pe::read_resources(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string rcdata_text(const std::vector<setup::pe::Resource>& resources, const char* name) {
    const setup::pe::Resource* r = find_rcdata(resources, name);
    return r ? std::string(r->data.begin(), r->data.end()) : std::string("<missing>");
}

uha::Archive archive_of(const fs::path& path) {
    auto source = uha::open_file(path.string());
    return uha::read_archive(*source, path.string());
}

TEST_F(MksetupTest, BuildsAnInstallerThatCarriesTheScriptAndTheArchiveDigest) {
    const Outcome r = build(dir_ / "out");
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const auto resources = resources_of(dir_ / "out/Setup.exe");
    // Stored as the installer reads it: CP1250 with CR LF.
    EXPECT_TRUE(rcdata_text(resources, "SETUP").starts_with("[I]\r\n1=M\xF3j Program 1.0\r\n2="));
    // The stub's other resources are there as they were.
    const Stub stub = load_stub(SETUP_STUB);
    for (const char* name : {"UHA", "UNINSTALL", "JPG", "TFORM1", "STUBVERSION"})
        EXPECT_EQ(rcdata_text(resources, name), rcdata_text(stub.resources, name)) << name;
    std::vector<std::string> names;
    for (const uha::Entry& e : archive_of(dir_ / "out/data.uha").table.entries)
        names.push_back(e.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Dokumenty", "Program.exe", "Dokumenty/Czytaj.txt"}));

    const Outcome shown = mksetup({"inspect", (dir_ / "out/Setup.exe").string()});
    EXPECT_EQ(shown.exit_code, 0) << shown.output;
    for (const char* part :
         {"stub version 1", "1=Mój Program 1.0", "matches the digest", "header picture: 109 x 56",
          "mode: x86", "Uninstall\\Mój Program (32-bit view)\n  DisplayName: Mój Program\n"})
        EXPECT_NE(shown.output.find(part), std::string::npos) << part << "\n" << shown.output;
    // One byte of the archive changed: inspect says the installer will refuse it.
    std::string archive = read_file(dir_ / "out/data.uha");
    archive[archive.size() / 2] ^= 1;
    write_file(dir_ / "out/data.uha", archive);
    EXPECT_NE(mksetup({"inspect", (dir_ / "out/Setup.exe").string()}).output.find("DIFFERS"),
              std::string::npos);
}

TEST_F(MksetupTest, GivesTheSameBytesAgainAndCapsTimesAtTheSourceDate) {
    ASSERT_EQ(build(dir_ / "a").exit_code, 0);
    ASSERT_EQ(build(dir_ / "b", {"-j", "1"}).exit_code, 0);
    EXPECT_EQ(read_file(dir_ / "a/Setup.exe"), read_file(dir_ / "b/Setup.exe"));
    EXPECT_EQ(read_file(dir_ / "a/data.uha"), read_file(dir_ / "b/data.uha"));

    setenv("SOURCE_DATE_EPOCH", "1000000000", 1);
    const Outcome r = build(dir_ / "c");
    unsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const uint64_t cap = (1000000000ull + 11644473600ull) * 10000000ull;
    for (const uha::Entry& e : archive_of(dir_ / "c/data.uha").table.entries)
        EXPECT_EQ(e.mtime, cap) << e.name;  // the files are younger than 2001
}

TEST_F(MksetupTest, PicturesAreCheckedAndStamped) {
    const std::string pictures = PICTURES;
    // The banner given as header and the other way round: both decode, both get a warning.
    const Outcome r = build(
        dir_ / "out", {"--header", pictures + "/banner.jpg", "--banner", pictures + "/header.jpg"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("warning: the header picture is 164 x 314"), std::string::npos)
        << r.output;
    const Outcome shown = mksetup({"inspect", (dir_ / "out/Setup.exe").string()});
    EXPECT_NE(shown.output.find("header picture: 164 x 314"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("banner picture: 109 x 56"), std::string::npos) << shown.output;
}

// Every failure names what failed and leaves nothing behind.
TEST_F(MksetupTest, FailuresSayWhatAndWriteNothing) {
    write_file(dir_ / "plain-file", "x");
    write_file(dir_ / "broken.jpg", "\xFF\xD8 not really");
    write_file(dir_ / "bad.ini", "[I]\n2=Mój Program\n");
    const std::string folder_as_script = product();
    struct Case {
        const char* name;
        std::vector<std::string> args;  // after "build"
        int exit_code;
        const char* says;
    };
    const std::string out = (dir_ / "out").string();
    const std::vector<Case> cases = {
        {"no product folder", {script(), (dir_ / "none").string(), "-o", out}, 1, "product folder"},
        {"script is a folder", {folder_as_script, product(), "-o", out}, 1, "it is a folder"},
        {"output under a file",
         {script(), product(), "-o", (dir_ / "plain-file/out").string()},
         1,
         "plain-file"},
        {"header that does not decode",
         {script(), product(), "-o", out, "--header", (dir_ / "broken.jpg").string()},
         1,
         "is not a JPEG the installer can show"},
        {"script with an error",
         {(dir_ / "bad.ini").string(), product(), "-o", out},
         1,
         "nothing was written"},
        {"not a stub",
         {script(), product(), "-o", out, "--stub", (dir_ / "plain-file").string()},
         1,
         "cannot be used"},
        {"unknown switch", {script(), product(), "--fast"}, 2, "unknown switch --fast"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"build"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome r = mksetup(args);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.name << "\n" << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.name << "\n" << r.output;
        EXPECT_FALSE(fs::exists(dir_ / "out") && !fs::is_empty(dir_ / "out")) << c.name;
    }
}

TEST_F(MksetupTest, AFailedBuildKeepsThePreviousOutputs) {
    const fs::path out = dir_ / "out";
    ASSERT_EQ(build(out).exit_code, 0);
    const std::string setup = read_file(out / "Setup.exe"), data = read_file(out / "data.uha");
    write_file(dir_ / "product/new.txt", "more");
    const Outcome r = build(out, {"--sign-cmd", "false {in} {out}"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("the signing command failed on uha.exe"), std::string::npos)
        << r.output;
    EXPECT_EQ(read_file(out / "Setup.exe"), setup);
    EXPECT_EQ(read_file(out / "data.uha"), data);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2);
}

TEST_F(MksetupTest, RefusesAStubOfAnotherVersion) {
    const Stub stub = load_stub(SETUP_STUB);
    const setup::pe::Replacement version{setup::pe::ResourceName::from_id(10),
                                         setup::pe::ResourceName::from_ascii("STUBVERSION"),
                                         {'9', '9'}};
    const auto other = setup::pe::stamp_resources(stub.image, {version});
    write_file(dir_ / "Other.exe", std::string(other.begin(), other.end()));
    const Outcome r = build(dir_ / "out", {"--stub", (dir_ / "Other.exe").string()});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("is of version 99, this mksetup stamps version 1"), std::string::npos)
        << r.output;
}

}  // namespace
}  // namespace mksetup
