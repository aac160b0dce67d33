// wizard_tour <Setup.exe> <folder>: starts the installer, walks its wizard page by page as a
// user would and saves a picture of the window on each page (1-Welcome.bmp ... 6-Finish.bmp)
// by copying it from the screen. The finish page follows an installation; the tour shows it
// in a second, fresh run by swapping the page panels itself, as the installation does at its
// end (the window is white then, as on the welcome page).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "window_driver.h"
#include "wizard_rules.h"

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
                          {"4-Podsumowanie", "Button9"},
                          {"5-Progress", "Button12"}};
    int failures = 0;
    for (const Step& s : steps) {
        if (s.button) SendMessageA(find(form, s.button), BM_CLICK, 0, 0);
        settle();
        std::string path = folder + "\\" + s.file + ".bmp";
        std::printf("%s %s\n", save_window(form, path) ? "saved" : "FAILED", path.c_str());
        failures += !IsWindow(form);
    }
    PostMessageA(form, WM_CLOSE, 0, 0);
    program->wait_exit(std::chrono::seconds(20));

    form = start_wizard(program, argv[1]);
    if (!form) return 1;
    ShowWindow(find(form, "Finish"), SW_SHOW);
    ShowWindow(find(form, "Welcome"), SW_HIDE);
    InvalidateRect(form, nullptr, TRUE);
    settle();
    std::string path = folder + "\\6-Finish.bmp";
    std::printf("%s %s\n", save_window(form, path) ? "saved" : "FAILED", path.c_str());
    PostMessageA(form, WM_CLOSE, 0, 0);
    program->wait_exit(std::chrono::seconds(20));
    return failures;
}
