// wizard_tour <Setup.exe> <folder>: starts the installer, walks its wizard page by page as a
// user would, installs, and saves a picture of the window on each page (1-Welcome.bmp ...
// 6-Finish.bmp) by copying it from the screen. The progress page is taken while the
// installation starts the product's programs: the window does not answer then, so it is
// found by the uninstall record, written just before.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/window_driver.h"
#include "ui/wizard_rules.h"

using namespace testing_support;

namespace {

HWND find(HWND form, const char* name) {
    return find_by_id(form, setup::control_id(name));
}

bool save_window(HWND hwnd, const std::string& path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + stride * h), 0,
                        0, sizeof fh + sizeof bi.bmiHeader};
    bi.bmiHeader.biHeight = h;  // bottom-up rows in the file
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        for (int y = h - 1; y >= 0; --y)
            std::fwrite(static_cast<char*>(bits) + y * stride, stride, 1, f);
        ok = std::fclose(f) == 0;
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::puts("usage: wizard_tour <Setup.exe> <folder>");
        return 2;
    }
    std::unique_ptr<RunningProgram> program;
    HWND form = start_wizard(program, argv[1]);
    if (!form) return 1;
    const std::string folder = argv[2];
    struct Step {
        const char* file;
        const char* button;  // pressed before the picture
    };
    const Step steps[] = {{"1-Welcome", nullptr},
                          {"2-Path", "Button4"},
                          {"3-MenuStart", "Button7"},
                          {"4-Podsumowanie", "Button9"}};
    int failures = 0;
    const auto save = [&](const char* file) {
        const std::string path = folder + "\\" + file + ".bmp";
        const bool saved = IsWindow(form) && save_window(form, path);
        std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
        failures += !saved;
    };
    for (const Step& s : steps) {
        if (s.button) SendMessageA(find(form, s.button), BM_CLICK, 0, 0);
        settle();
        save(s.file);
    }
    const std::string record = window_text(find(form, "Edit1")) + "\\uninstal.ini";
    DeleteFileA(record.c_str());
    // Posted: the click returns only when the installation has ended.
    PostMessageA(find(form, "Button12"), BM_CLICK, 0, 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (GetFileAttributesA(record.c_str()) == INVALID_FILE_ATTRIBUTES &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    save("5-Progress");
    while (!IsWindowVisible(find(form, "Finish")) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    settle();
    save("6-Finish");
    PostMessageA(find(form, "Button18"), BM_CLICK, 0, 0);
    program->wait_exit(std::chrono::seconds(20));
    return failures;
}
