#include "globals.h"

namespace setup {

std::string ExtractorPath;
std::string ScriptPath;
std::string ProgramFilesDir;
std::string ProgramsFolder;
std::string DesktopFolder;
ProductSettings Product;
InstallPlan Plan;
bool CancelRequested = false;

}  // namespace setup
