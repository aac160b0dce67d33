// Setup.exe with the digest of its archive bound into it as the builder binds it (a
// DATASHA256 resource added to a copy of SetupFake.exe): the archive it was built with unpacks
// as before; any other is refused with the standard error box before the extractor runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <thread>

#include "integrity/archive_digest.h"
#include "tests/support/installer_driver.h"
#include "tests/support/private_folders.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"

namespace fs = std::filesystem;
using namespace testing_support;
using namespace std::chrono_literals;

// A copy of SetupFake.exe carrying `resource` as DATASHA256.
static void make_bound_installer(const std::string& exe, const std::string& resource) {
    ASSERT_TRUE(CopyFileA(test_program_path(SETUP_FAKE_EXE).c_str(), exe.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    ASSERT_TRUE(update && UpdateResourceA(update, RT_RCDATA, setup::kArchiveDigestResource,
                                          MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                          const_cast<char*>(resource.data()), resource.size()));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

// The matching archive; one byte changed; a digest with a line end; an archive another
// program holds locked.
TEST(BoundArchive, OnlyTheArchiveBuiltWithIsUnpacked) {
    TempDir dir;
    // The scripted extractor leaves a mark in the target folder if it runs; comment lines pad
    // its instructions past two of the hash's 1 MiB chunks.
    std::string archive = "touch ran.txt\n";
    while (archive.size() < 2500000) archive += "# " + std::string(97, '.') + "\n";
    setup::Sha256 hash;
    hash.update(archive.data(), archive.size());
    const std::string digest = setup::to_hex(hash.finish());
    std::string changed = archive;
    changed[1500000] = '#';
    const struct {
        std::string resource, data;
        bool locked, unpacked;
    } cases[] = {{digest, archive, false, true},
                 {digest, changed, false, false},
                 {digest + "\r\n", archive, false, false},
                 {digest, archive, true, false}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const fs::path folder = dir / std::to_string(i);
        fs::create_directories(folder);
        ASSERT_NO_FATAL_FAILURE(
            make_bound_installer(native(folder / "bound.exe"), cases[i].resource));
        std::unique_ptr<RunningProgram> program;
        HWND form = start_installer(program, folder, native(folder / "bound.exe"), cases[i].data);
        ASSERT_NE(form, nullptr);
        walk_to_summary(form, native(folder / "Cel"));
        const std::string data = native(folder / "Pobrane") + "\\data.uha";
        HANDLE lock = cases[i].locked ? CreateFileA(data.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
        confirm_summary(form);
        // Either the finish page or a box of the installer's own.
        HWND box = nullptr;
        const auto until = std::chrono::steady_clock::now() + 30s;
        while (!box && !IsWindowVisible(wizard_control(form, "Finish")) &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(20ms);
            for (HWND w : top_level_windows(program->pid()))
                if (w != form && IsWindowVisible(w)) box = w;
        }
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        EXPECT_EQ(fs::exists(folder / "Cel/ran.txt"), cases[i].unpacked);
        if (cases[i].unpacked) {
            EXPECT_TRUE(IsWindowVisible(wizard_control(form, "Finish")));
        } else {
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(window_text(box), "Setup");
            EXPECT_EQ(message_text(box), "Plik jest uszkodzony: " + data + ".");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            // Ended as a failed extraction ends: on the progress page, the extractor deleted,
            // nothing unpacked.
            std::this_thread::sleep_for(500ms);
            EXPECT_TRUE(IsWindowVisible(wizard_control(form, "Progress")));
            EXPECT_FALSE(fs::exists(folder / "Cel"));
            for (const auto& own : private_folders(private_parent(), "Setup-"))
                EXPECT_FALSE(fs::exists(own / "Uha.exe"));
        }
        PostMessageA(form, WM_CLOSE, 0, 0);
        EXPECT_EQ(program->wait_exit(10s), 0);
    }
}
