#pragma once
// The texts the uninstaller shows: taken from the record's A lines, with the installer's own
// wording (kUninstallerTexts) as the fallback for a line the record lacks.
#include <initializer_list>
#include <string>
#include <string_view>

#include "record/uninstall_record.h"
#include "uninstall/record.h"

namespace setup::uninstall {

// Numbers of the record's texts.
enum TextId : int {
    kProductTitle = kTitleText,  // the number the installation writes the title under
    kCannotCopy = 36,            // %s to %s
    kRemovingFiles = 42,
    kReallyRemove = 43,  // %s: the product title
    kRemoveButton = 44,
    kCloseButton = 46,
    kRemovedAtRestart = 47,  // %s: the path
    kCannotStart = 49,       // %s: the program
    kFinished = 50,
    kKeptFiles = 53,
    kRemovingRegistry = 54,
    kWait = 58,
    kReallyStop = 80,
    kCheckingPrograms = 81,
};

// The record's text `id`, or the fallback (the product title falls back to "program").
std::string text(const Record& record, int id);

// The pattern with each "%s" replaced by the next argument ("" when they run out); every
// other character, "%" included, is kept. The record supplies patterns, so no printf.
std::string format_text(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace setup::uninstall
