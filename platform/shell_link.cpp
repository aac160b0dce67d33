#include "shell_link.h"

#include "runtime_error.h"

namespace setup::platform {

ShellLink::ShellLink() {
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link_))))
        throw RuntimeError("Nie można utworzyć obiektu skrótu (IShellLinkA)");
    if (FAILED(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_)))) {
        link_->Release();
        throw RuntimeError("Obiekt skrótu nie ma interfejsu IPersistFile");
    }
}

ShellLink::~ShellLink() {
    file_->Release();
    link_->Release();
}

void ShellLink::set_arguments(const std::string& arguments) {
    link_->SetArguments(arguments.c_str());
}

void ShellLink::set_path(const std::string& path) {
    link_->SetPath(path.c_str());
}

void ShellLink::set_working_directory(const std::string& folder) {
    link_->SetWorkingDirectory(folder.c_str());
}

bool ShellLink::save(const std::string& link_path) {
    const int n = MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, link_path.c_str(), -1, wide.data(), n);
    return SUCCEEDED(file_->Save(wide.c_str(), FALSE));
}

}  // namespace setup::platform
