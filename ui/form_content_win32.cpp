// What the wizard window shows beyond its layout: the start-up's texts, pictures, bands and
// proposals, and the folder rules of the target-folder and Start-menu pages.
#include "platform/files.h"
#include "platform/win_handle.h"
#include "ui/TDirectoryListBox_win32.h"
#include "ui/TDriveComboBox_win32.h"
#include "ui/TForm1_win32.h"
#include "ui/TGradient_win32.h"
#include "ui/form_parts_win32.h"
#include "ui/picture_win32.h"
#include "ui/wizard_rules.h"

namespace setup {

void TForm1::fill_content(const WindowContent& content) {
    folder_name_ = content.folder_name;
    title_ = content.title;
    HWND credit = control("Label21");
    SetWindowTextA(credit, content.credit.c_str());
    SetWindowPos(credit, nullptr, 168, 280, 319, 13, SWP_NOZORDER);
    ShowWindow(credit, SW_SHOW);
    EnableWindow(credit, TRUE);
    set_caption(content.title + " - Kreator instalacyjny");
    for (const char* name : {"Label2", "Label3", "Label20", "Label18", "Label6"})
        set_text(name, format_caption(text(name), content.title));
    set_text("Edit2", content.folder_name);
    directories_->set_current_folder(content.program_files);
    DirectoryListBox1Change();  // even when the list reported no change
    if (drives_) drives_->set_drive_of(directories_->current_folder());
    fill_groups(content.programs_folder);
    fill_headers(content);
    set_color(kWhite);
}

void TForm1::fill_headers(const WindowContent& content) {
    auto header = load_jpeg_resource(content.module, "JPG");
    images_.at("Image3")->set_picture(header, true);
    images_.at("Image2")->set_picture(images_.at("Image1")->picture(), true);
    for (const char* name : {"Image4", "Image5", "Image6"})
        images_.at(name)->set_picture(header, true);
    const PicturePlacement place =
        place_header_picture(496, images_.at("Image3")->width(), images_.at("Image3")->height());
    for (const char* name : {"Image3", "Image4", "Image5", "Image6"})
        images_.at(name)->move(place.left, place.top);
    TGradient& first = *gradients_.at("Gradient1");
    SetWindowPos(first.handle(), nullptr, 0, 0, place.band_width, 56, SWP_NOMOVE | SWP_NOZORDER);
    first.set_Color2(static_cast<uint32_t>(content.accent_color));
    for (const char* name : {"Gradient2", "Gradient3", "Gradient4"}) {
        TGradient& g = *gradients_.at(name);
        g.set_Color2(first.Color2());
        SetWindowPos(g.handle(), nullptr, 0, 0, place.band_width, 56, SWP_NOMOVE | SWP_NOZORDER);
    }
}

void TForm1::fill_groups(const std::string& programs_folder) {
    HWND list = control("ListBox1");
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (!platform::folder_exists(programs_folder)) return;
    WIN32_FIND_DATAA fd;
    const platform::UniqueFind find(FindFirstFileA((programs_folder + "\\*.*").c_str(), &fd));
    if (!find) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (platform::folder_exists(programs_folder + "\\" + name))
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    } while (FindNextFileA(find.get(), &fd));
}

void TForm1::DirectoryListBox1Change() {
    set_text("Edit1", target_folder_for(directories_->current_folder(), folder_name_));
}

void TForm1::ListBox1Clickx1Click() {
    HWND list = control("ListBox1");
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    std::string entry(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, index, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
    set_text("Edit2", group_for(entry.c_str(), folder_name_));
}

}  // namespace setup
