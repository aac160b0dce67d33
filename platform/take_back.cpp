#include "platform/take_back.h"

#include "platform/files.h"
#include "platform/registry_writer.h"
#include "platform/win_handle.h"

namespace setup::platform {

namespace {

bool gone(DWORD error) {
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::optional<std::string> failure(DWORD error, const std::string& what) {
    if (gone(error)) return std::nullopt;
    return what + ": " + system_message(error);
}

}  // namespace

std::optional<std::string> take_back(const UndoStep& step) {
    using Kind = UndoStep::Kind;
    switch (step.kind) {
        case Kind::restore_value:
        case Kind::delete_value: {
            HKEY opened = nullptr;
            DWORD error =
                RegOpenKeyExA(root_key(step.root), step.path.c_str(), 0, KEY_SET_VALUE, &opened);
            if (error != ERROR_SUCCESS) return failure(error, undo_step_text(step));
            const UniqueKey key(opened);
            error = step.kind == Kind::delete_value
                        ? RegDeleteValueA(key.get(), step.value_name.c_str())
                        : RegSetValueExA(key.get(), step.value_name.c_str(), 0, step.previous.type,
                                         step.previous.data.data(),
                                         static_cast<DWORD>(step.previous.data.size()));
            return failure(error, undo_step_text(step));
        }
        case Kind::delete_key:
            // Fails on a key that holds keys of others: those stay, and so does it.
            return failure(RegDeleteKeyA(root_key(step.root), step.path.c_str()),
                           undo_step_text(step));
        case Kind::delete_file:
            if (DeleteFileA(step.path.c_str())) return std::nullopt;
            // An unpacked file may carry the read-only attribute from the archive.
            if (GetLastError() == ERROR_ACCESS_DENIED &&
                SetFileAttributesA(step.path.c_str(), FILE_ATTRIBUTE_NORMAL) &&
                DeleteFileA(step.path.c_str()))
                return std::nullopt;
            return failure(GetLastError(), undo_step_text(step));
        case Kind::remove_folder:
            // Fails on a folder that is not empty: what lies in it was not made by the run.
            return RemoveDirectoryA(step.path.c_str())
                       ? std::nullopt
                       : failure(GetLastError(), undo_step_text(step));
    }
    return std::nullopt;
}

}  // namespace setup::platform
