#include "takeback/step.h"

#include <gtest/gtest.h>

namespace setup::takeback {
namespace {

// What a listing gives (a folder before what it holds) must come back deepest first, and a
// link must be removed as itself: nothing below it was listed, and nothing below it goes.
TEST(TreeRemoval, EmptiesFromTheDeepestAndRemovesLinksAsThemselves) {
    const std::vector<TreeEntry> tree = {
        {"a", true, false, 0},         {"a\\b", true, false, 0}, {"a\\b\\c.txt", false, false, 0},
        {"a\\d.txt", false, false, 0}, {"link", true, true, 0},  {"e.txt", false, false, 0},
    };
    const std::vector<Step> expected = {
        {Action::delete_file, "C:\\T\\e.txt", {}, {}},
        {Action::remove_folder, "C:\\T\\link", {}, {}},
        {Action::delete_file, "C:\\T\\a\\d.txt", {}, {}},
        {Action::delete_file, "C:\\T\\a\\b\\c.txt", {}, {}},
        {Action::remove_folder, "C:\\T\\a\\b", {}, {}},
        {Action::remove_folder, "C:\\T\\a", {}, {}},
        {Action::remove_folder, "C:\\T", {}, {}},
    };
    EXPECT_EQ(tree_removal("C:\\T", tree), expected);
    EXPECT_EQ(tree_removal("C:\\T", {}),
              (std::vector<Step>{{Action::remove_folder, "C:\\T", {}, {}}}));
}

}  // namespace
}  // namespace setup::takeback
