#include "platform/shell_link.h"

#include "platform/error/runtime_error.h"

namespace setup::platform {

ShellLink::ShellLink() {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        throw RuntimeError("Nie można utworzyć obiektu skrótu (IShellLinkA)");
    link_ = UniqueCom<IShellLinkA>(link);
    IPersistFile* file = nullptr;
    if (FAILED(link_.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        throw RuntimeError("Obiekt skrótu nie ma interfejsu IPersistFile");
    file_ = UniqueCom<IPersistFile>(file);
}

void ShellLink::set_arguments(const std::string& arguments) {
    link_.get()->SetArguments(arguments.c_str());
}

void ShellLink::set_path(const std::string& path) {
    link_.get()->SetPath(path.c_str());
}

void ShellLink::set_working_directory(const std::string& folder) {
    link_.get()->SetWorkingDirectory(folder.c_str());
}

bool ShellLink::save(const std::string& link_path) {
    const int n = MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, wide.data(), n);
    return SUCCEEDED(file_.get()->Save(wide.c_str(), FALSE));
}

}  // namespace setup::platform
