#pragma once
// The program-wide values: set once by the start-up, read afterwards.
#include <string>

#include "setup_script.h"

namespace setup {

extern std::string ExtractorPath;  // the private folder + "Uha.exe"
extern std::string ScriptPath;     // the private folder + "Setup.ini"
extern std::string ProgramFilesDir;
extern std::string ProgramsFolder;
extern std::string DesktopFolder;
extern ProductSettings Product;  // ArchivePath among them
extern InstallPlan Plan;
extern bool CancelRequested;

}  // namespace setup
