#include "app/archive_listing.h"

#include "platform/error/runtime_error.h"
#include "platform/files.h"
#include "uha/src/archive.h"
#include "uha/src/error.h"

namespace setup {
namespace {

// The held archive as the archive reader reads it: positioned reads through a borrowed handle
// (uha's own source opens by path and lives with its extraction code, which Setup does not carry).
class HeldArchive : public uha::ByteSource {
  public:
    HeldArchive(HANDLE file, const std::string& path) : file_(file), path_(path) {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file_, &size))
            throw uha::Error("cannot read " + path_ + ": " +
                             platform::system_message(GetLastError()));
        size_ = static_cast<uint64_t>(size.QuadPart);
    }
    uint64_t size() const override { return size_; }
    void read_at(uint64_t offset, void* buffer, size_t n) override {
        auto* p = static_cast<char*>(buffer);
        while (n > 0) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD got = 0;
            const auto chunk = static_cast<DWORD>(n < (1u << 30) ? n : (1u << 30));
            if (!ReadFile(file_, p, chunk, &got, &at) || got == 0)
                throw uha::Error("cannot read " + path_);
            p += got;
            n -= got;
            offset += got;
        }
    }

  private:
    HANDLE file_;  // borrowed: the installation holds it
    std::string path_;
    uint64_t size_ = 0;
};

// A stored name (UTF-8, "/" between components) as an ANSI relative path; false when the
// code page has no character for one of its letters.
bool ansi_path(const std::string& name, std::string& out) {
    const int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(),
                                                static_cast<int>(name.size()), nullptr, 0);
    if (wide_length <= 0) return false;
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                        wide_length);
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length,
                                           nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return false;
    out.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, out.data(), length,
                        nullptr, nullptr);
    for (char& c : out)
        if (c == '/') c = '\\';
    return true;
}

}  // namespace

ArchiveListing list_archive(HANDLE archive, const std::string& archive_path) {
    ArchiveListing listing;
    try {
        HeldArchive source(archive, archive_path);
        const uha::Archive table = uha::read_archive(source, archive_path);
        for (const uha::Entry& entry : table.table.entries) {
            listing.unpacked_bytes += entry.size;
            std::string path;
            if (ansi_path(entry.name, path))
                listing.paths.push_back({path, entry.kind == uha::EntryKind::folder});
            else
                listing.unnamed.push_back(entry.name);
        }
    } catch (const uha::Error& e) {
        throw RuntimeError(e.what());
    }
    return listing;
}

}  // namespace setup
