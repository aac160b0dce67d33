// Setup.exe with the digest of its archive bound into it as the builder binds it (a
// DATASHA256 resource added to a copy of SetupFake.exe): the archive it was built with unpacks
// as before; any other is refused with the standard error box before the extractor runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <thread>

#include "archive_digest.h"
#include "installer_driver.h"
#include "process.h"
#include "sha256.h"
#include "temp_tree.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

// The scripted extractor's instructions: it leaves a mark in the target folder if it runs.
// Comment lines pad it past two of the hash's 1 MiB chunks.
std::string marking_archive() {
    std::string script = "touch ran.txt\n";
    while (script.size() < 2500000) script += "# " + std::string(97, '.') + "\n";
    return script;
}

std::string digest_of(const std::string& bytes) {
    setup::Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return setup::to_hex(hash.finish());
}

struct BoundInstaller {
    std::unique_ptr<RunningProgram> program;
    HWND form = nullptr;
    ~BoundInstaller() {
        if (form && IsWindow(form)) PostMessageA(form, WM_CLOSE, 0, 0);
        if (program) program->wait_exit(10s);
    }
    // A copy of SetupFake.exe carrying `resource`, started in `folder` with `data` beside it as
    // data.uha and walked to the summary with the target `folder`\Cel.
    void start(const fs::path& folder, const std::string& resource, const std::string& data) {
        fs::create_directories(folder);
        const std::string exe = native(folder / "bound.exe");
        ASSERT_TRUE(CopyFileA(test_program_path(SETUP_FAKE_EXE).c_str(), exe.c_str(), FALSE));
        HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
        ASSERT_NE(update, nullptr);
        ASSERT_TRUE(UpdateResourceA(update, RT_RCDATA, setup::kArchiveDigestResource,
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                    const_cast<char*>(resource.data()), resource.size()));
        ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
        form = start_installer(program, folder, exe, data);
        ASSERT_NE(form, nullptr);
        walk_to_summary(form, native(folder / "Cel"));
    }
    HWND wait_box() {
        for (auto until = std::chrono::steady_clock::now() + 30s;
             std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(20ms))
            for (HWND w : top_level_windows(program->pid()))
                if (w != form && IsWindowVisible(w)) return w;
        return nullptr;
    }
    bool visible(const char* page) { return IsWindowVisible(wizard_control(form, page)) != 0; }
};

}  // namespace

TEST(BoundArchive, TheArchiveBuiltWithUnpacks) {
    TempDir dir;
    const std::string archive = marking_archive();
    BoundInstaller run;
    ASSERT_NO_FATAL_FAILURE(run.start(dir.path(), digest_of(archive), archive));
    confirm_summary(run.form);
    for (auto until = std::chrono::steady_clock::now() + 30s;
         !run.visible("Finish") && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(run.visible("Finish"));
    EXPECT_TRUE(fs::exists(dir / "Cel/ran.txt"));
}

// One byte changed; a digest with a line end; an archive another program holds locked.
TEST(BoundArchive, AnyOtherIsRefusedBeforeTheExtractorRuns) {
    TempDir dir;
    const std::string archive = marking_archive();
    const std::string digest = digest_of(archive);
    std::string changed = archive;
    changed[1500000] = '#';
    const struct {
        std::string resource, data;
        bool locked;
    } cases[] = {
        {digest, changed, false}, {digest + "\r\n", archive, false}, {digest, archive, true}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const fs::path folder = dir / std::to_string(i);
        BoundInstaller run;
        ASSERT_NO_FATAL_FAILURE(run.start(folder, cases[i].resource, cases[i].data));
        const std::string data = native(folder / "Pobrane") + "\\data.uha";
        HANDLE lock = cases[i].locked ? CreateFileA(data.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
        EXPECT_EQ(cases[i].locked, lock != INVALID_HANDLE_VALUE);
        confirm_summary(run.form);
        HWND box = run.wait_box();
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(window_text(box), "Setup");
        EXPECT_EQ(message_text(box), "Plik jest uszkodzony: " + data + ".");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        std::this_thread::sleep_for(500ms);
        // Ended as a failed extraction ends: on the progress page, its extractor deleted,
        // nothing unpacked.
        EXPECT_TRUE(run.visible("Progress"));
        EXPECT_FALSE(fs::exists(folder / "Cel"));
        EXPECT_FALSE(fs::exists(folder / "tmp/Uha.exe"));
    }
}
