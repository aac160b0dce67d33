// Setup.exe stamped by the builder's PE module, as Windows sees it: the loader finds the new
// and the kept resources, imagehlp computes the checksum we stored, and the stamped program
// runs and reads its stamped script.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <imagehlp.h>

#include <filesystem>
#include <optional>

#include "builder/pe_resources.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/window_driver.h"

using namespace setup::pe;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;
Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
const ResourceName kRcData = ResourceName::from_id(kTypeRcData);

// The RCDATA resource `name` of the program file `path` as the loader gives it; nullopt when
// the file does not load or has no such resource.
std::optional<Bytes> loaded_resource(const std::string& path, const char* name) {
    HMODULE m = LoadLibraryExA(path.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m) return std::nullopt;
    std::optional<Bytes> found;
    if (HRSRC r = FindResourceA(m, name, MAKEINTRESOURCEA(kTypeRcData))) {
        auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
        found = Bytes(p, p + SizeofResource(m, r));
    }
    FreeLibrary(m);
    return found;
}

const Bytes& data_of(const std::vector<Resource>& all, const char* name) {
    for (const Resource& r : all)
        if (r.type == kRcData && r.name == ResourceName::from_ascii(name)) return r.data;
    throw std::runtime_error(std::string("no resource ") + name);
}

class StampedSetup : public ::testing::Test {
  protected:
    void SetUp() override {
        stub = bytes(read_file(test_program_path(SETUP_EXE)));
        resources = read_resources(stub);
        std::string script(data_of(resources, "SETUP").begin(), data_of(resources, "SETUP").end());
        size_t archive = script.find("3=data.uha");
        ASSERT_NE(archive, std::string::npos);
        script.replace(archive, 10, "3=inne.uha");
        new_script = bytes(script);
        std::filesystem::create_directories(dir / "Pobrane");
        std::filesystem::create_directories(dir / "tmp");
        folder = native(dir / "Pobrane") + "\\";
    }
    // Writes the stub stamped with `changes`, and three bytes appended after it, to
    // Pobrane\Setup.exe; returns its path and the bytes written.
    std::string write_stamped(const std::vector<Replacement>& changes, Bytes& written) {
        Bytes input = stub;
        input.insert(input.end(), {'e', 'n', 'd'});
        written = stamp_resources(input, changes);
        write_file(dir / "Pobrane/Setup.exe", std::string(written.begin(), written.end()));
        return folder + "Setup.exe";
    }

    TempDir dir;
    std::string folder;
    Bytes stub, new_script;
    std::vector<Resource> resources;
};

TEST_F(StampedSetup, LoaderAndImagehlpSeeTheStampedImage) {
    const std::vector<std::vector<Replacement>> cases = {
        {{kRcData, ResourceName::from_ascii("SETUP"), new_script},
         {kRcData, ResourceName::from_ascii("JPG"), bytes(noise(30001, 1))},
         {kRcData, ResourceName::from_ascii("EXTRA"), bytes(noise(3 << 20, 2))}},
        {{kRcData, ResourceName::from_ascii("UHA"), bytes("MZ")}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i == 0 ? "grown" : "shrunk");
        Bytes written;
        const std::string path = write_stamped(cases[i], written);
        for (const Replacement& r : cases[i]) {
            auto found = loaded_resource(path, r.name.to_string().c_str());
            ASSERT_TRUE(found) << r.name.to_string();
            EXPECT_TRUE(*found == r.data) << r.name.to_string() << ": " << found->size()
                                          << " bytes, stamped " << r.data.size();
        }
        for (const char* kept : {"TFORM1", "UNINSTALL"}) {
            auto found = loaded_resource(path, kept);
            ASSERT_TRUE(found) << kept;
            EXPECT_TRUE(*found == data_of(resources, kept)) << kept;
        }

        DWORD stored = 0, computed = 0;
        ASSERT_EQ(MapFileAndCheckSumA(path.c_str(), &stored, &computed), CHECKSUM_SUCCESS);
        EXPECT_EQ(stored, computed);
        EXPECT_EQ(computed, pe_checksum(written));
    }
}

// The stamped program itself starts (its relocations moved with the grown resources) and reads
// the stamped script: with the archive that script names missing, it says so.
TEST_F(StampedSetup, StampedProgramRunsWithItsNewScript) {
    Bytes written;
    const std::string setup =
        write_stamped({{kRcData, ResourceName::from_ascii("SETUP"), new_script},
                       {kRcData, ResourceName::from_ascii("EXTRA"), bytes(noise(3 << 20, 3))}},
                      written);
    const std::string temp = native(dir / "tmp") + "\\";
    RunningProgram program("\"" + setup + "\"", {"TMP=" + temp, "TEMP=" + temp});
    HWND box = wait_for_window(program.pid(), "", "Błąd", 30s);
    ASSERT_NE(box, nullptr);
    std::string text;
    HWND ok = nullptr;
    for (HWND child : child_windows(box)) {
        if (_stricmp(class_of(child).c_str(), "Static") == 0 && !window_text(child).empty())
            text = window_text(child);
        if (_stricmp(class_of(child).c_str(), "Button") == 0) ok = child;
    }
    EXPECT_EQ(text, "Nie ma pliku: " + folder + "inne.uha");
    ASSERT_NE(ok, nullptr);
    SendMessageA(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(program.wait_exit(20s), 0);
}

}  // namespace
