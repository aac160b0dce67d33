#include "platform/shell_link.h"

#include "platform/error/runtime_error.h"
#include "platform/files.h"

namespace setup::platform {

namespace {

void check(HRESULT result, const std::string& what) {
    if (FAILED(result))
        throw RuntimeError(what + ": " + system_message(static_cast<DWORD>(result)));
}

}  // namespace

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
    check(link_.get()->SetArguments(arguments.c_str()),
          "Nie można ustawić argumentów skrótu \"" + arguments + "\"");
}

void ShellLink::set_path(const std::string& path) {
    check(link_.get()->SetPath(path.c_str()), "Nie można ustawić celu skrótu " + path);
}

void ShellLink::set_working_directory(const std::string& folder) {
    check(link_.get()->SetWorkingDirectory(folder.c_str()),
          "Nie można ustawić folderu roboczego skrótu " + folder);
}

void ShellLink::save(const std::string& link_path) {
    const int n = MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, wide.data(), n);
    check(file_.get()->Save(wide.c_str(), FALSE), "Nie można zapisać skrótu " + link_path);
}

}  // namespace setup::platform
