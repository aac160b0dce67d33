#include <gtest/gtest.h>

#include "uninstall/copy_arguments.h"

using namespace setup::uninstall;

TEST(UninstallCopyArguments, OtherCommandLinesAreNotTheCopys) {
    for (const char* line : {
             "\"C:\\Gra\\Odinstaluj.exe\"",
             "C:\\Gra\\Odinstaluj.exe",
             "\"C:\\Gra\\Odinstaluj.exe\" /kopia",
             "x /kopia 0 \"C:\\Gra\\Odinstaluj.exe\"",
             "x /kopia 12a \"C:\\Gra\\Odinstaluj.exe\"",
             "x /kopia 99999999999 \"C:\\Gra\\Odinstaluj.exe\"",
             "x /kopia 12",
             "x /kopia 12 \"C:\\Gra\\Odinstaluj.exe\" more",
             "x /KOPIA2 12 \"C:\\Gra\\Odinstaluj.exe\"",
         })
        EXPECT_FALSE(parse_copy_command_line(line)) << line;
}
