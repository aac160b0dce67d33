// sample_installation: the main job's view of a whole installation under Wine, without a
// display. Texts are printed in the ANSI code page (CP1250).
//   install <Setup.exe> <target> <group>  walks the wizard as a user would, with this target
//                                         folder and Start-menu group, to the finish page,
//                                         and ends it with "Zakończ"
//   show <target>                         what the installation left: the files in the target
//                                         folder and, line by line, what its uninstall record
//                                         names (links with their targets, registry values)
//   uninstall <target>                    runs the registered "UninstallString" as the
//                                         system does and answers the uninstaller: "Usuń",
//                                         then "Zamknij"
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry_writer.h"
#include "tests/support/installer_driver.h"
#include "tests/support/link_probe.h"
#include "tests/support/uninstaller_driver.h"
#include "tests/support/window_driver.h"
#include "ui/wizard_rules.h"
#include "uninstall/record.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

HWND find(HWND form, const char* name) {
    return wizard_control(form, name);
}

// A message box of the process, when one shows: its text.
std::string message_of(DWORD pid, HWND form) {
    for (HWND w : top_level_windows(pid))
        if (w != form && IsWindowVisible(w)) return message_text(w);
    return "";
}

int install(const std::string& setup, const std::string& target, const std::string& group) {
    std::unique_ptr<RunningProgram> program;
    HWND form = start_wizard(program, setup);
    if (!form) return 1;
    std::printf("kreator \"%s\"\n", window_text(form).c_str());
    walk_to_summary(form, target, group);
    std::printf("podsumowanie:\n%s\n", window_text(find(form, "Memo1")).c_str());
    std::puts("\"Dalej >\": instalacja");
    confirm_summary(form);
    const auto start = std::chrono::steady_clock::now();
    while (!IsWindowVisible(find(form, "Finish"))) {
        const std::string message = message_of(program->pid(), form);
        if (!message.empty() || std::chrono::steady_clock::now() - start > 120s) {
            std::printf("instalacja nie doszła do końca: %s\n", message.c_str());
            return 1;
        }
        std::this_thread::sleep_for(20ms);
    }
    std::printf("strona końcowa po %.1f s: \"%s\"\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                window_text(find(form, "Label19")).c_str());
    std::printf("  \"%s\"\n", window_text(find(form, "Label20")).c_str());
    PostMessageA(find(form, "Button18"), BM_CLICK, 0, 0);
    std::printf("\"Zakończ\": kod wyjścia %ld\n", program->wait_exit(30s));
    return 0;
}

void list_files(const std::string& folder, const std::string& relative) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            list_files(folder + "\\" + name, relative + name + "\\");
        } else {
            std::printf("  %-52s %8lu B\n", (relative + name).c_str(), data.nFileSizeLow);
        }
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

std::vector<std::string> record_lines(const std::string& target) {
    std::ifstream in(target + "\\uninstal.ini", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string registry_value(HKEY root, const std::string& key, const std::string& name) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "(brak klucza)";
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    const LONG r =
        RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return name.empty() ? "(klucz)" : "(brak wartości)";
    std::string shown;
    if (type == REG_DWORD) {
        shown = std::to_string(*reinterpret_cast<DWORD*>(data));
        shown += " (REG_DWORD)";
    } else {
        shown = data;
        shown += " (REG_SZ)";
    }
    return shown;
}

int show(const std::string& target) {
    std::printf("pliki w %s:\n", target.c_str());
    list_files(target, "");
    const std::vector<std::string> lines = record_lines(target);
    if (lines.empty()) {
        std::puts("brak uninstal.ini");
        return 1;
    }
    std::printf("uninstal.ini, %zu wierszy:\n", lines.size());
    size_t texts = 0;
    for (const std::string& line : lines) {
        if (line.starts_with("A") && line != lines[1]) {
            ++texts;
            continue;
        }
        std::printf("  %s\n", line.c_str());
        if (line.starts_with("P0,") && line.ends_with(".lnk,0")) {
            const std::string path = line.substr(3, line.size() - 5);
            if (const auto link = read_link(path)) {
                std::printf("      skrót do %s, folder roboczy %s\n", link->path.c_str(),
                            link->working_folder.c_str());
            } else {
                std::puts("      (brak skrótu)");
            }
        } else if (line.starts_with("J0,")) {
            // Read as the uninstaller reads it.
            const setup::uninstall::Record one = setup::uninstall::parse_record(line + "\r\n");
            for (const setup::RegistryLine& j : one.registry)
                std::printf(
                    "      %s\n",
                    registry_value(setup::platform::root_key(j.root), j.key, j.value).c_str());
        }
    }
    std::printf("  i %zu tekstów deinstalatora (A13 ... A81)\n", texts);
    return 0;
}

int uninstall(const std::string& target) {
    const std::vector<std::string> lines = record_lines(target);
    if (lines.size() < 3 || !lines[2].starts_with("J0,2,")) {
        std::puts("brak uninstal.ini");
        return 1;
    }
    const std::string key = lines[2].substr(5, lines[2].size() - 6);
    char command[1024] = {};
    DWORD size = sizeof command - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "UninstallString", RRF_RT_REG_SZ, nullptr,
                     command, &size) != ERROR_SUCCESS) {
        std::printf("brak UninstallString w HKEY_LOCAL_MACHINE\\%s\n", key.c_str());
        return 1;
    }
    std::printf("UninstallString: %s\n", command);
    RunningProgram original(command, {});
    UninstallerCopy copy;
    if (!copy.find(30s)) {
        std::puts("okno deinstalatora się nie pokazało");
        return 1;
    }
    std::printf("deinstalator \"%s\": %s\n", window_text(copy.window()).c_str(),
                copy.status().c_str());
    std::puts("\"Usuń\"");
    copy.press(IDOK);
    const std::string ends[] = {"Usuwanie zakończone pomyślnie!", "Nie wszystko udało się usunąć.",
                                "Usuwanie przerwane."};
    const auto until = std::chrono::steady_clock::now() + 120s;
    std::string status;
    while (std::find(std::begin(ends), std::end(ends), status = copy.status()) == std::end(ends) &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(50ms);
    std::printf("%s\n", status.c_str());
    for (const std::string& line : copy.results()) std::printf("  %s\n", line.c_str());
    std::puts("\"Zamknij\"");
    copy.press(IDCANCEL);
    const bool ended = copy.ended(30s);
    std::printf(
        "deinstalator %s; %s %s\n", ended ? "zakończony" : "NIE zakończył się", target.c_str(),
        GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES ? "usunięty" : "ISTNIEJE");
    return ended && status == ends[0] ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Unbuffered, so that what it printed is there even when it is ended from outside.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string command = argc > 1 ? argv[1] : "";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 2;
    if (command == "install" && argc == 5) {
        result = install(argv[2], argv[3], argv[4]);
    } else if (command == "show" && argc == 3) {
        result = show(argv[2]);
    } else if (command == "uninstall" && argc == 3) {
        result = uninstall(argv[2]);
    } else {
        std::puts(
            "usage: sample_installation install <Setup.exe> <target> <group> | show <target> "
            "| uninstall <target>");
    }
    CoUninitialize();
    return result;
}
