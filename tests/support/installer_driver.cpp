#include "tests/support/installer_driver.h"

#include <chrono>

#include "tests/support/process.h"
#include "tests/support/temp_tree.h"
#include "ui/wizard_rules.h"

namespace testing_support {

HWND wizard_control(HWND form, const char* name) {
    return find_by_id(form, setup::control_id(name));
}

bool run_installer(std::unique_ptr<RunningProgram>& running, const std::filesystem::path& folder,
                   const std::string& program, const std::optional<std::string>& archive,
                   const std::string& arguments, const std::vector<std::string>& env_overrides) {
    std::filesystem::create_directories(folder / "Pobrane");
    std::filesystem::create_directories(folder / "tmp");
    const std::string setup = native(folder / "Pobrane") + "\\Setup.exe";
    if (!CopyFileA(test_program_path(program).c_str(), setup.c_str(), FALSE)) return false;
    if (archive) write_file(folder / "Pobrane" / "data.uha", *archive);
    const std::string temp = native(folder / "tmp") + "\\";
    std::vector<std::string> env = {"TMP=" + temp, "TEMP=" + temp};
    env.insert(env.end(), env_overrides.begin(), env_overrides.end());
    std::string command = "\"" + setup + "\"";
    if (!arguments.empty()) command += " " + arguments;
    running = std::make_unique<RunningProgram>(command, env, temp);
    return true;
}

HWND start_installer(std::unique_ptr<RunningProgram>& running, const std::filesystem::path& folder,
                     const std::string& program, const std::string& archive,
                     const std::vector<std::string>& env_overrides, const std::string& arguments) {
    if (!run_installer(running, folder, program, archive, arguments, env_overrides)) return nullptr;
    return wait_for_window(running->pid(), "TForm1", "", std::chrono::seconds(30));
}

void walk_to_summary(HWND form, const std::string& target, const std::string& group) {
    SendMessageA(wizard_control(form, "Button4"), BM_CLICK, 0, 0);
    SendMessageA(wizard_control(form, "Edit1"), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(target.c_str()));
    SendMessageA(wizard_control(form, "Button7"), BM_CLICK, 0, 0);
    if (!group.empty())
        SendMessageA(wizard_control(form, "Edit2"), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(group.c_str()));
    SendMessageA(wizard_control(form, "Button9"), BM_CLICK, 0, 0);
}

void confirm_summary(HWND form) {
    PostMessageA(wizard_control(form, "Button12"), BM_CLICK, 0, 0);
}

}  // namespace testing_support
