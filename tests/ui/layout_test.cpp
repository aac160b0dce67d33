#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "ui/layout.h"
#include "ui/wizard_rules.h"

using namespace setup;

namespace {
std::string read_layout() {
    std::ifstream in(LAYOUT_FILE, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(Layout, TheWindowsLayoutHasEveryPageAndControl) {
    Layout layout = parse_layout(read_layout() + "@picture banner 4\nJPEG\n");
    EXPECT_EQ(layout.controls.size(), 77u);
    for (const char* page :
         {"Welcome", "Path", "MenuStart", "Podsumowanie", "Progress", "Finish"}) {
        const ControlSpec& p = layout.at(page);
        EXPECT_EQ(p.parent, "TForm1");
        EXPECT_EQ(std::make_pair(p.width, p.height), std::make_pair(496, 353));
        EXPECT_EQ(p.has("hidden"), std::string(page) != "Welcome");
    }
    const ControlSpec& b4 = layout.at("Button4");
    EXPECT_EQ(b4.parent, "Panel2");
    EXPECT_EQ((std::vector<int>{b4.left, b4.top, b4.width, b4.height}),
              (std::vector<int>{304, 15, 75, 25}));
    EXPECT_TRUE(b4.has("default"));
    EXPECT_EQ(b4.caption, "Dalej >");
    EXPECT_TRUE(layout.at("Button15").has("disabled"));
    EXPECT_FALSE(layout.at("Button15").has("default"));
    // The layout file is UTF-8 (the build makes it CP1250): compare the plain part.
    EXPECT_NE(layout.at("Label20").caption.find("produkt %s.  Kliknij przycisk Zako"),
              std::string::npos);
    EXPECT_EQ(layout.pictures.at("banner"), "JPEG");
    // Every control a test may look for has an id of its own.
    std::set<int> ids;
    for (const ControlSpec& c : layout.controls) {
        if (c.kind == ControlKind::Form) continue;
        EXPECT_TRUE(ids.insert(control_id(c.name)).second) << c.name;
    }
    EXPECT_EQ(ids.count(0), 0u);
}

TEST(Layout, MistakesAreRefusedWithTheirLine) {
    const std::string form = "TForm1 TForm - 0 0 496 353\n";
    const std::pair<std::string, std::string> cases[] = {
        {form + "A TWidget TForm1 0 0 1 1\n", "unknown class"},
        {form + "A TLabel Nowhere 0 0 1 1\n", "parent"},
        {form + "A TLabel TForm1 0 x 1 1\n", "not a number"},
        {form + "A TLabel TForm1 0 0 1 1 shiny\n", "unknown flag"},
        {form + "A TLabel TForm1 0 0 1 1\nA TLabel TForm1 0 0 1 1\n", "twice"},
        {form + "A TImage TForm1 0 0 1 1 picture=none\n", "missing"},
        {form + "@picture p 100\nshort", "cut short"},
    };
    for (const auto& [text, why] : cases) {
        try {
            parse_layout(text);
            ADD_FAILURE() << "accepted: " << why;
        } catch (const LayoutError& e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(parse_layout(form + "L TLabel TForm1 1 2 3 4 caption=  two  blanks ").at("L").caption,
              "  two  blanks ");
}
