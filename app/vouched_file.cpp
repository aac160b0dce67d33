#include "app/vouched_file.h"

#include <windows.h>

#include "integrity/sha256.h"
#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "platform/registry_writer.h"
#include "platform/system_queries.h"
#include "record/uninstall_record.h"

namespace setup {

std::optional<std::string> vouched_earlier_file(const std::string& path,
                                                const std::string& folder_name, RegistryView view,
                                                std::string_view digest_value,
                                                InstallationLog& log) {
    std::optional<std::string> text = platform::read_small_file(path, 1 << 24);
    if (!text) return std::nullopt;
    std::string stored;
    try {
        stored =
            platform::read_registry_text(HKEY_LOCAL_MACHINE, uninstall_key_path(folder_name),
                                         std::string(digest_value), platform::view_access(view));
    } catch (const RuntimeError&) {
        // Not a text: no digest of ours, so nothing vouches for the file.
    }
    Sha256 digest;
    digest.update(text->data(), text->size());
    if (stored.empty() || to_hex(digest.finish()) != stored) {
        log.line(
            "plik deinstalatora sprzed instalacji pominięty (klucz deinstalacji nie "
            "potwierdza jego sumy SHA-256): " +
            path);
        return std::nullopt;
    }
    return text;
}

}  // namespace setup
