#pragma once
// The installer's one window: a fixed-size wizard of six pages built from the layout in
// the resource TFORM1. Controls carry ids derived from their names (wizard_rules.h), so a
// test program can find them; the window keeps its colour in the window property
// "SetupColor" for the same reason.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "install/cancel_token.h"
#include "platform/win_handle.h"
#include "ui/layout.h"
#include "ui/page_table.h"

namespace setup {

class TGradient;
class TImage;
class TDirectoryListBox;
class TDriveComboBox;

// What the window shows, filled in by the start-up.
struct WindowContent {
    std::string credit;  // plain text
    std::string title;
    std::string folder_name;
    int32_t accent_color = 0xFFFFFF;
    std::string program_files;
    std::string programs_folder;
    HMODULE module = nullptr;  // holds the "JPG" resource
};

class TForm1 {
  public:
    // The window requests `cancel` on "Anuluj" and on closing; it must outlive the window.
    explicit TForm1(CancelToken& cancel);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Builds the window and its controls from the layout, hidden. Throws on failure.
    void create(HINSTANCE instance, const Layout& layout);
    // Shows the window and brings it to the foreground.
    void show();
    // Shows the window as show() does, but on the progress page, in the colour the wizard has
    // there, for an installation without questions that a user watches. Such a window has no
    // finish page: its owner closes it when the run has ended, however it ended.
    void show_progress_only();
    HWND handle() const { return hwnd_; }
    HWND control(std::string_view name) const;

    // The window-content steps of the start-up; a runtime error stops them where it happens.
    void fill_content(const WindowContent& content);
    void set_caption(const std::string& caption);

    // The status line of the progress page (the file being unpacked, or what the run does).
    void show_status(const std::string& text) { set_text("Label1", text); }
    std::string status() const { return text("Label1"); }
    // The target folder and the Start-menu group as the wizard's inputs hold them: what the
    // wizard proposes, or what the user has chosen once the summary is confirmed.
    std::string proposed_target() const { return text("Edit1"); }
    std::string proposed_group() const { return text("Edit2"); }
    void set_target(const std::string& folder) { set_text("Edit1", folder); }
    void set_group(const std::string& group) { set_text("Edit2", group); }
    // A line the summary adds at its end ("" for none): what installing over an installed
    // copy does.
    void set_summary_note(std::string note) { summary_note_ = std::move(note); }

    // A control's text by its name in the layout.
    std::string text(std::string_view name) const;
    void set_text(std::string_view name, const std::string& text);
    void set_color(COLORREF color);
    COLORREF color() const { return color_; }

    // The progress page, for the installation while it runs.
    void append_memo(const std::string& line);
    void set_progress(int position);
    int progress() const;
    // Handles the window messages that are waiting, then returns. A quit request met on the
    // way is left for the main loop.
    void pump_messages();
    // Paints what has changed now, handling no other message: for work that must not be
    // interrupted, such as taking back a cancelled installation while the window is closing.
    void repaint();
    void request_close();
    // The end of a finished installation: a white window showing the Finish page; nothing for
    // a window shown with show_progress_only().
    void show_finish();

    // Runs the installation when the summary is confirmed (the choices in the inputs); set by
    // the program.
    std::function<void()> on_install;

    // Messages of the wizard that the message loop must let through: Tab, Enter, Escape.
    bool translate_dialog_message(MSG& msg);

  private:
    CancelToken& cancel_;
    struct Fonts;
    static LRESULT CALLBACK form_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK panel_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT handle_message(UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT panel_message(HWND panel, UINT msg, WPARAM wparam, LPARAM lparam);
    // Controls (form_controls_win32.cpp).
    void create_control(const ControlSpec& item, HINSTANCE instance, const Layout& layout);
    void create_image(const ControlSpec& item, HWND parent, int id, const Layout& layout);
    void create_system_control(const ControlSpec& item, HWND parent, int id, HINSTANCE instance);
    void autosize_label(HWND label);
    // Start-up content (form_content_win32.cpp).
    void fill_headers(const WindowContent& content);
    void fill_groups(const std::string& programs_folder);
    // Navigation by the page table (form_navigation_win32.cpp).
    void command(int id, int code);
    void go(const PageButton& button);  // the step's colour, then its page for the button's
    void show_page(std::string_view show, std::string_view hide);
    int default_button() const;  // the visible page's, 0 for none

    void FormClose();
    void AnulujClick();
    void DirectoryListBox1Change();
    void ListBox1Clickx1Click();
    void Button9Click(const PageButton& button);   // to the summary, which it writes
    void Button12Click(const PageButton& button);  // to the progress page; runs on_install
    void Button16Click();

    HWND hwnd_ = nullptr;
    bool progress_only_ = false;
    COLORREF color_ = RGB(255, 255, 255);
    std::string folder_name_;
    std::string title_;  // the product's, for the summary
    std::string summary_note_;
    std::map<std::string, HWND, std::less<>> controls_;
    std::map<std::string, std::string, std::less<>> panel_kind_;  // panel name -> page/bar/body
    std::map<std::string, std::unique_ptr<TGradient>, std::less<>> gradients_;
    std::map<std::string, std::unique_ptr<TImage>, std::less<>> images_;
    std::unique_ptr<TDirectoryListBox> directories_;
    std::unique_ptr<TDriveComboBox> drives_;
    std::unique_ptr<Fonts> fonts_;
    std::map<HWND, COLORREF> panel_colors_;
    std::set<HWND> transparent_;  // labels drawn over the header band
};

}  // namespace setup
