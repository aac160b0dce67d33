#pragma once
// What the files of the wizard window (TForm1*.cpp, form_*.cpp) share: its colours, its
// fonts and whether visual styles are on. Not for use outside the window.
#include <windows.h>

#include "platform/win_handle.h"
#include "ui/TForm1_win32.h"
#include "ui/layout.h"

namespace setup {

constexpr COLORREF kWhite = RGB(255, 255, 255);
// The window property where a test program reads the window's colour (plus one, so that
// black is not mistaken for a missing property).
constexpr const char* kColorProperty = "SetupColor";

// Whether visual styles are on; then the pages let the window's colour show through.
bool themed();

HFONT make_font(int pixels, bool bold);

struct TForm1::Fonts {
    platform::UniqueGdi regular{make_font(11, false)};
    platform::UniqueGdi bold{make_font(11, true)};
    platform::UniqueGdi large{make_font(13, false)};
    HFONT get(const ControlSpec& item) const {
        if (item.values.count("font")) return static_cast<HFONT>(large.get());
        return static_cast<HFONT>(item.has("bold") ? bold.get() : regular.get());
    }
};

}  // namespace setup
