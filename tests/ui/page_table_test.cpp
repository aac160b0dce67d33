#include "ui/page_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "ui/layout.h"
#include "ui/wizard_rules.h"

using namespace setup;

namespace {

Layout windows_layout() {
    std::ifstream in(LAYOUT_FILE, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return parse_layout(s.str() + "@picture banner 4\nJPEG\n");
}

std::string joined(const std::vector<std::string>& problems) {
    std::string out;
    for (const std::string& p : problems) out += p + "\n";
    return out;
}

}  // namespace

TEST(PageTable, TheWizardsTableFitsItsLayoutAndLeadsFromFirstPageToLast) {
    const Layout layout = windows_layout();
    const auto pages = wizard_pages();
    EXPECT_EQ(joined(check_page_table(pages, layout)), "");
    // Walking Next from the first page visits the six pages in their order.
    std::vector<std::string_view> walk;
    for (const PageRow* row = &pages.front(); row; row = find_page(pages, row->next.to))
        walk.push_back(row->page);
    EXPECT_EQ(walk, (std::vector<std::string_view>{"Welcome", "Path", "MenuStart", "Podsumowanie",
                                                   "Progress", "Finish"}));
    ASSERT_NE(installation_page(pages), nullptr);
    EXPECT_EQ(installation_page(pages)->page, "Progress");
    const PageButton b6 = find_button(pages, control_id("Button6"));
    ASSERT_NE(b6.step, nullptr);
    EXPECT_EQ(b6.row->page, "Path");
    EXPECT_EQ(b6.step->to, "Welcome");
    EXPECT_EQ(find_button(pages, control_id("Label1")).step, nullptr);
}

TEST(PageTable, AWrongRowIsFoundWithWhatIsWrong) {
    const Layout layout = windows_layout();
    using Edit = std::function<void(std::vector<PageRow>&)>;
    const std::pair<Edit, std::string> cases[] = {
        {[](auto& t) { t[1].page = "Sciezka"; }, "Sciezka: no page panel"},
        {[](auto& t) { t[1].page = "Panel3"; }, "Panel3: no page panel"},
        {[](auto& t) { t[2].next.button = "Button99"; }, "Button99 is not in the layout"},
        {[](auto& t) { t[2].next.button = "Label10"; }, "Label10 is not in the layout"},
        {[](auto& t) { t[2].back.button = "Button6"; }, "Button6 is not on the page"},
        {[](auto& t) { t[4].back.action = PageAction::Go; }, "Button14 is disabled"},
        {[](auto& t) { t[1].back.to = "Witamy"; }, "leads to Witamy, which is no page"},
        {[](auto& t) { t[1].next.to = ""; }, "Path: Next step leads nowhere"},
        {[](auto& t) { t[3].next.to = "Path"; }, "goes round in Path"},
        {[](auto& t) { t[4].next.to = ""; }, "Next from Progress does not reach Finish"},
        {[](auto& t) { t[0].default_button = "Button9"; }, "Button9 is none of the page's"},
        {[](auto& t) { t[2].default_button = ""; }, "default button Button9 is not the row's"},
        {[](auto& t) { t[4].default_button = "Button15"; }, "Button15 is not marked default"},
        {[](auto& t) { t.pop_back(); }, "Finish: a page of the layout has no row"},
        {[](auto& t) { std::swap(t[0], t[1]); }, "the first page is hidden at start"},
        {[](auto& t) { t[5].cancel = t[5].next; }, "button Button18 has two steps"},
        {[](auto& t) { t[3].next.action = PageAction::Go; }, "no step starts the installation"},
    };
    for (const auto& [edit, message] : cases) {
        std::vector<PageRow> table(wizard_pages().begin(), wizard_pages().end());
        edit(table);
        const std::string found = joined(check_page_table(table, layout));
        EXPECT_NE(found.find(message), std::string::npos) << "expected '" << message << "' in:\n"
                                                          << found;
    }
}
