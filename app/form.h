#pragma once
// The installer's one window. For now a plain fixed-size window of class "TForm1"; the wizard
// pages grow into it.
#include <windows.h>

#include <string>

namespace setup {

class TForm1 {
  public:
    TForm1() = default;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Registers the class and creates the window, hidden. Throws RuntimeError on failure.
    void create(HINSTANCE instance);
    void show();
    HWND handle() const { return hwnd_; }
    void set_caption(const std::string& caption);

    std::string credit_line;  // shown on the welcome page

  private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT handle_message(UINT msg, WPARAM wparam, LPARAM lparam);
    void FormCloseQuery();
    void FormClose();

    HWND hwnd_ = nullptr;
};

}  // namespace setup
