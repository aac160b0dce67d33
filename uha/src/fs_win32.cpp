// The archiver's file system on Windows. Paths given on the command line are in the ANSI code
// page; an archive name must have an exact form in it too (an error otherwise, never a '?'
// in a file name). Extraction opens the destination folder once and everything below it
// relative to its parent folder's handle through the native API, opening links (reparse
// points) rather than following them and refusing them, so a junction inside the
// destination, there from the start or swapped in while extracting, leads nowhere.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>

#include "paths/paths.h"
#include "platform/system_message.h"
#include "platform/win_handle.h"
#include "uha/src/error.h"
#include "uha/src/format.h"
#include "uha/src/fs.h"
#include "uha/src/names.h"
#include "uha/src/text_win32.h"

namespace uha {

namespace {

using win32::narrow;
using win32::widen;

// The system's text as the archiver says it: UTF-8, without the closing full stop.
std::string system_message(DWORD code) {
    std::string text = setup::platform::system_message(code, "error ");
    while (!text.empty() && text.back() == '.') text.pop_back();
    return native_to_utf8(text);
}

// what is UTF-8 already.
std::string win_error(const std::string& what, DWORD code = GetLastError()) {
    return what + ": " + system_message(code);
}

using Handle = setup::platform::UniqueHandle;

// Closes `h`, reporting whether the close succeeded: for a file written through it, a failed
// close can mean data that never reached the disk.
bool close_checked(Handle& h) {
    return CloseHandle(h.release()) != 0;
}

FILETIME filetime(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

uint64_t ticks(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

OVERLAPPED at(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

void write_all(HANDLE h, const void* data, size_t n, uint64_t offset, const std::string& what) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
        DWORD written = 0;
        OVERLAPPED o = at(offset);
        if (!WriteFile(h, p, chunk, &written, &o) || written == 0)
            throw Error(win_error("cannot write " + what));
        p += written;
        n -= written;
        offset += written;
    }
}

// Marks the file open as `h` for deletion when its last handle closes, or takes the mark off.
bool set_delete_on_close(HANDLE h, bool gone) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(gone)};
    return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
}

std::string temp_leaf() {
    static std::atomic<unsigned> counter{0};
    return ".uha-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) +
           ".tmp";
}

class Win32Source : public ByteSource {
  public:
    explicit Win32Source(const std::string& path) : shown_(native_to_utf8(path)) {
        h_ = Handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h_) throw Error(win_error("cannot open " + shown_));
        LARGE_INTEGER size;
        if (!GetFileSizeEx(h_.get(), &size)) throw Error(win_error("cannot read " + shown_));
        size_ = static_cast<uint64_t>(size.QuadPart);
    }
    uint64_t size() const override { return size_; }
    void read_at(uint64_t offset, void* buffer, size_t n) override {
        char* p = static_cast<char*>(buffer);
        while (n > 0) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
            DWORD got = 0;
            OVERLAPPED o = at(offset);
            if (!ReadFile(h_.get(), p, chunk, &got, &o)) {
                if (GetLastError() == ERROR_HANDLE_EOF)
                    got = 0;
                else
                    throw Error(win_error("cannot read " + shown_));
            }
            if (got == 0) throw Error("cannot read " + shown_ + ": it is shorter than expected");
            p += got;
            n -= got;
            offset += got;
        }
    }

  private:
    std::string shown_;
    Handle h_;
    uint64_t size_ = 0;
};

// Statuses of the native calls that the walk tells apart.
constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);
constexpr NTSTATUS kStatusNameTooLong = static_cast<NTSTATUS>(0xC0000106);

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// The native calls that open and rename a name relative to a folder's handle, which the Win32
// API has no form of. ntdll is mapped into every process; looking them up there keeps it off
// the import table, which the shipped programs keep to a fixed list of DLLs.
class NtCalls {
  public:
    NtCalls() {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (!ntdll) throw Error(win_error("cannot find ntdll.dll"));
        create_ = lookup<CreateFn>(ntdll, "NtCreateFile");
        set_information_ = lookup<SetInformationFn>(ntdll, "NtSetInformationFile");
        to_dos_error_ = lookup<ToDosErrorFn>(ntdll, "RtlNtStatusToDosError");
    }

    // Opens or creates leaf in the folder parent. A link (reparse point) standing there is
    // opened itself, never followed. The handle does synchronous I/O.
    NTSTATUS open(HANDLE parent, const std::wstring& leaf, ACCESS_MASK access, ULONG share,
                  ULONG disposition, ULONG options, Handle& out) const {
        if (leaf.size() > 0x7FFF) return kStatusNameTooLong;  // a UNICODE_STRING's limit
        UNICODE_STRING name;
        name.Length = name.MaximumLength = static_cast<USHORT>(leaf.size() * sizeof(wchar_t));
        name.Buffer = const_cast<PWSTR>(leaf.c_str());
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, parent, nullptr);
        IO_STATUS_BLOCK io{};
        HANDLE h = nullptr;
        NTSTATUS status =
            create_(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                    share, disposition,
                    options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
        if (NT_SUCCESS(status)) out = Handle(h);
        return status;
    }

    // Gives the open file the name leaf in folder; the file's handle needs DELETE access.
    NTSTATUS rename(HANDLE file, HANDLE folder, const std::wstring& leaf, bool replace) const {
        const size_t bytes = sizeof(FILE_RENAME_INFORMATION) + leaf.size() * sizeof(wchar_t);
        std::vector<ULONG_PTR> buffer(bytes / sizeof(ULONG_PTR) + 1);
        auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
        info->ReplaceIfExists = replace;
        info->RootDirectory = folder;
        info->FileNameLength = static_cast<ULONG>(leaf.size() * sizeof(wchar_t));
        std::copy(leaf.begin(), leaf.end(), info->FileName);
        IO_STATUS_BLOCK io{};
        return set_information_(file, &io, info, static_cast<ULONG>(bytes), FileRenameInformation);
    }

    std::string error(const std::string& what, NTSTATUS status) const {
        return win_error(what, to_dos_error_(status));
    }

  private:
    using CreateFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                      PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
    using SetInformationFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                              FILE_INFORMATION_CLASS);
    using ToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);

    template <typename Fn>
    static Fn lookup(HMODULE module, const char* name) {
        FARPROC proc = GetProcAddress(module, name);
        if (!proc) throw Error(win_error(std::string("cannot find ") + name + " in ntdll.dll"));
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    }

    CreateFn create_ = nullptr;
    SetInformationFn set_information_ = nullptr;
    ToDosErrorFn to_dos_error_ = nullptr;
};

// The path of what h holds, from its volume's root.
std::wstring held_path(HANDLE h, const std::string& name) {
    // The longest path a volume holds, in bytes, after the length field.
    std::vector<DWORD> buffer((sizeof(FILE_NAME_INFO) + 0x10000) / sizeof(DWORD) + 1);
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    if (!GetFileInformationByHandleEx(h, FileNameInfo, info,
                                      static_cast<DWORD>(buffer.size() * sizeof(DWORD))))
        throw Error(win_error("cannot read the name of " + name));
    return std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t));
}

// The attributes of what h holds, opened as leaf in the folder parent, with
// FILE_ATTRIBUTE_REPARSE_POINT set when it is not that name itself. FILE_OPEN_REPARSE_POINT
// opens a link rather than what it leads to, and the link shows that attribute; a system that
// follows a link in spite of it (Wine does with Unix symbolic links) still names the object
// by the link's target, which differs from the folder's name followed by leaf.
DWORD held_attributes(HANDLE h, HANDLE parent, const std::wstring& leaf, const std::string& name) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag))
        throw Error(win_error("cannot read attributes of " + name));
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return tag.FileAttributes;
    std::wstring expected = held_path(parent, name);
    if (expected.empty() || expected.back() != L'\\') expected += L'\\';
    expected += leaf;
    const std::wstring held = held_path(h, name);
    const bool as_named =
        CompareStringOrdinal(held.c_str(), static_cast<int>(held.size()), expected.c_str(),
                             static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
    return as_named ? tag.FileAttributes : tag.FileAttributes | FILE_ATTRIBUTE_REPARSE_POINT;
}

// A file being extracted, held by its handle from its creation under a temporary name to its
// renaming in the same folder, whose handle it holds too: no path is looked up again.
class Win32OutputFile : public OutputFile {
  public:
    Win32OutputFile(const NtCalls& nt, Handle folder, std::wstring leaf, std::string name, Handle h)
        : nt_(nt),
          folder_(std::move(folder)),
          leaf_(std::move(leaf)),
          name_(std::move(name)),
          h_(std::move(h)) {}
    // Not committed, the file goes as its handle closes (set when it was made).
    ~Win32OutputFile() override = default;
    void write_at(uint64_t offset, const void* data, size_t n) override {
        write_all(h_.get(), data, n, offset, name_);
    }
    void commit(const FileMeta& meta, bool replace) override {
        FILETIME ft = filetime(meta.mtime);
        if (!SetFileTime(h_.get(), nullptr, nullptr, &ft))
            throw Error(win_error("cannot set time of " + name_));
        if (replace) make_replaceable();
        if (!set_delete_on_close(h_.get(), false)) throw Error(win_error("cannot create " + name_));
        NTSTATUS status = nt_.rename(h_.get(), folder_.get(), leaf_, replace);
        if (!NT_SUCCESS(status)) {
            set_delete_on_close(h_.get(), true);
            throw Error(nt_.error("cannot create " + name_, status));
        }
        FILE_BASIC_INFO basic{};  // times left at zero stay as they are
        DWORD attrs = meta.attributes & kKeptAttributes;
        basic.FileAttributes = attrs ? attrs : FILE_ATTRIBUTE_NORMAL;
        if (!SetFileInformationByHandle(h_.get(), FileBasicInfo, &basic, sizeof basic))
            throw Error(win_error("cannot set attributes of " + name_));
        if (!close_checked(h_)) throw Error(win_error("cannot write " + name_));
    }

  private:
    // A read-only, hidden or system file refuses to be replaced until it is plain. A file that
    // cannot be opened here is left to the renaming to report.
    void make_replaceable() {
        Handle old;
        NTSTATUS status =
            nt_.open(folder_.get(), leaf_, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                     FILE_OPEN, FILE_NON_DIRECTORY_FILE, old);
        if (!NT_SUCCESS(status)) return;
        DWORD attrs = held_attributes(old.get(), folder_.get(), leaf_, name_);
        if (attrs & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return;
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(old.get(), FileBasicInfo, &basic, sizeof basic);
    }

    NtCalls nt_;
    Handle folder_;
    std::wstring leaf_;
    std::string name_;
    Handle h_;
};

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// Extraction opens the destination once and then every folder and file relative to its
// parent's handle, refusing links, so a folder swapped for a junction while extracting cannot
// send an elevated write elsewhere.
class Win32Destination : public Destination {
  public:
    explicit Win32Destination(const std::string& root) {
        char full[MAX_PATH * 4];
        DWORD n = GetFullPathNameA(root.c_str(), sizeof full, full, nullptr);
        if (n == 0 || n >= sizeof full)
            throw Error(win_error("cannot use destination folder " + native_to_utf8(root)));
        root_ = full;
        while (root_.size() > 3 && is_separator(root_.back())) root_.pop_back();
        make_parents();
        open_root();
    }

    Occupant existing(const std::string& name) override {
        auto parts = split_name(name);
        Handle folder = walk(parts, parts.size() - 1, false, name);
        if (!folder) return {};
        const std::wstring leaf = wide_leaf(parts.back(), name);
        Handle h;
        NTSTATUS status =
            nt_.open(folder.get(), leaf, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0, h);
        if (status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound) return {};
        if (!NT_SUCCESS(status)) throw Error(nt_.error("cannot read " + name, status));
        DWORD attrs = held_attributes(h.get(), folder.get(), leaf, name);
        if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) return {Existing::other, 0};
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) return {Existing::folder, 0};
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(h.get(), &size)) throw Error(win_error("cannot read " + name));
        return {Existing::file, static_cast<uint64_t>(size.QuadPart)};
    }

    void make_folder(const std::string& name) override {
        auto parts = split_name(name);
        walk(parts, parts.size(), true, name);
    }

    void set_folder_meta(const std::string& name, const FileMeta& meta) override {
        auto parts = split_name(name);
        Handle h = walk(parts, parts.size(), false, name, FILE_WRITE_ATTRIBUTES);
        if (!h) throw Error("cannot set time of " + name + ": it is missing");
        FILETIME ft = filetime(meta.mtime);
        if (!SetFileTime(h.get(), nullptr, nullptr, &ft))
            throw Error(win_error("cannot set time of " + name));
    }

    std::unique_ptr<OutputFile> create_file(const std::string& name) override {
        auto parts = split_name(name);
        Handle folder = walk(parts, parts.size() - 1, false, name);
        if (!folder) throw Error("cannot create " + name + ": its folder is missing");
        std::wstring leaf = wide_leaf(parts.back(), name);
        Handle h;
        NTSTATUS status = nt_.open(folder.get(), widen(temp_leaf(), CP_ACP), GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ, FILE_CREATE, FILE_NON_DIRECTORY_FILE, h);
        if (!NT_SUCCESS(status)) throw Error(nt_.error("cannot create " + name, status));
        // Deleted when its last handle closes, until commit() keeps it: a process ended from
        // outside (an installation cancelled) leaves no temporary file behind.
        set_delete_on_close(h.get(), true);
        return std::make_unique<Win32OutputFile>(nt_, std::move(folder), std::move(leaf), name,
                                                 std::move(h));
    }

    std::optional<uint64_t> free_space() override {
        std::wstring folder = widen(root_, CP_ACP);
        if (folder.back() != L'\\') folder += L'\\';
        ULARGE_INTEGER available;
        if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
        return available.QuadPart;
    }

  private:
    // Creates the root's missing folders, from the first one below the drive or share.
    void make_parents() {
        for (const std::string& level : setup::paths::folder_levels(root_)) {
            if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                throw Error(win_error("cannot create destination folder " + native_to_utf8(level)));
        }
    }

    // The root is opened itself, not what a link there leads to. Its attributes are read by
    // its name and from the handle: Wine opens the target of a Unix symbolic link in spite of
    // FILE_FLAG_OPEN_REPARSE_POINT, but its name still shows the reparse point.
    void open_root() {
        const std::string shown = native_to_utf8(root_);
        const std::wstring wide = widen(root_, CP_ACP);
        const DWORD by_name = GetFileAttributesW(wide.c_str());
        if (by_name != INVALID_FILE_ATTRIBUTES && (by_name & FILE_ATTRIBUTE_REPARSE_POINT))
            throw Error(link_root(shown));
        root_handle_ = Handle(CreateFileW(
            wide.c_str(), kFolderAccess | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!root_handle_) throw Error(win_error("cannot open destination folder " + shown));
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!GetFileInformationByHandleEx(root_handle_.get(), FileAttributeTagInfo, &tag,
                                          sizeof tag))
            throw Error(win_error("cannot open destination folder " + shown));
        if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) throw Error(link_root(shown));
        if (!(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            throw Error("cannot create destination folder " + shown + ": a file stands there");
    }

    static std::string link_root(const std::string& shown) {
        return "destination is a link (junction or symbolic link): " + shown;
    }

    // Opens the folder made of the first `count` parts, each relative to the one before,
    // creating missing ones when asked; the last one opened gets extra_access as well.
    // Returns an empty Handle when a part is missing and create is false.
    Handle walk(const std::vector<std::string_view>& parts, size_t count, bool create,
                const std::string& name, ACCESS_MASK extra_access = 0) {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), root_handle_.get(), GetCurrentProcess(), &copy, 0,
                             FALSE, DUPLICATE_SAME_ACCESS))
            throw Error(win_error("cannot open destination folder " + native_to_utf8(root_)));
        Handle current(copy);
        for (size_t i = 0; i < count; ++i) {
            const std::wstring leaf = wide_leaf(parts[i], name);
            Handle next;
            NTSTATUS status =
                nt_.open(current.get(), leaf, kFolderAccess | (i + 1 == count ? extra_access : 0),
                         kShareAll, create ? FILE_OPEN_IF : FILE_OPEN, FILE_DIRECTORY_FILE, next);
            if (!create &&
                (status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound))
                return Handle();
            if (status == kStatusNotADirectory) throw Error(not_a_folder(name));
            if (!NT_SUCCESS(status))
                throw Error(nt_.error(
                    (create ? "cannot create folder " : "cannot open folder of ") + name, status));
            DWORD attrs = held_attributes(next.get(), current.get(), leaf, name);
            if ((attrs & FILE_ATTRIBUTE_REPARSE_POINT) || !(attrs & FILE_ATTRIBUTE_DIRECTORY))
                throw Error(not_a_folder(name));
            current = std::move(next);
        }
        return current;
    }

    static std::string not_a_folder(const std::string& name) {
        return "cannot use " + name + ": a file or link stands where a folder should be";
    }

    // A part of an archive name as the system takes it. The name must have an exact form in
    // the ANSI code page, in which the installer and the uninstaller handle paths.
    static std::wstring wide_leaf(std::string_view part, const std::string& name) {
        std::wstring wide = widen(std::string(part), CP_UTF8);
        if (!win32::narrow_exact(wide, CP_ACP))
            throw Error("cannot extract " + name +
                        ": its name has characters this system's code page cannot hold");
        return wide;
    }

    NtCalls nt_;
    std::string root_;
    Handle root_handle_;
};

class Win32ArchiveSink : public ArchiveSink {
  public:
    explicit Win32ArchiveSink(const std::string& path)
        : path_(path), temp_(path + temp_leaf()), shown_(native_to_utf8(path)) {
        h_ = Handle(CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h_) throw Error(win_error("cannot create " + shown_));
    }
    ~Win32ArchiveSink() override {
        if (!committed_) {
            h_.reset();
            DeleteFileA(temp_.c_str());
        }
    }
    void write(const void* data, size_t n) override {
        write_all(h_.get(), data, n, offset_, shown_);
        offset_ += n;
    }
    void write_at(uint64_t offset, const void* data, size_t n) override {
        write_all(h_.get(), data, n, offset, shown_);
    }
    void commit() override {
        if (!close_checked(h_)) throw Error(win_error("cannot write " + shown_));
        if (!MoveFileExA(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING))
            throw Error(win_error("cannot create " + shown_));
        committed_ = true;
    }

  private:
    std::string path_, temp_, shown_;
    Handle h_;
    uint64_t offset_ = 0;
    bool committed_ = false;
};

void add_found(const std::string& native, const std::string& name, const WIN32_FIND_DATAA& fd,
               std::vector<FoundItem>& out, const std::function<void(const std::string&)>& note);

void scan_folder(const std::string& native, const std::string& name, std::vector<FoundItem>& out,
                 const std::function<void(const std::string&)>& note) {
    std::string base = native;
    if (!base.empty() && !is_separator(base.back())) base += "\\";
    WIN32_FIND_DATAA fd;
    const setup::platform::UniqueFind find(FindFirstFileA((base + "*").c_str(), &fd));
    if (!find) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return;
        throw Error(win_error("cannot read folder " + native_to_utf8(native)));
    }
    std::vector<WIN32_FIND_DATAA> children;
    do {
        std::string leaf = fd.cFileName;
        if (leaf != "." && leaf != "..") children.push_back(fd);
    } while (FindNextFileA(find.get(), &fd));
    std::sort(children.begin(), children.end(), [](const auto& x, const auto& y) {
        return std::string(x.cFileName) < std::string(y.cFileName);
    });
    for (const auto& child : children) {
        std::string leaf = native_to_utf8(child.cFileName);
        add_found(base + child.cFileName, name.empty() ? leaf : name + "/" + leaf, child, out,
                  note);
    }
}

FoundItem found_item(const std::string& native, const std::string& name,
                     const WIN32_FIND_DATAA& fd) {
    if (auto problem = name_problem(name))
        throw Error("cannot store " + native_to_utf8(native) + ": its name " + *problem);
    FoundItem item;
    item.name = name;
    item.native_path = native;
    item.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.size = item.folder ? 0 : (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    item.meta.mtime = ticks(fd.ftLastWriteTime);
    item.meta.attributes = fd.dwFileAttributes & kKeptAttributes;
    return item;
}

void add_found(const std::string& native, const std::string& name, const WIN32_FIND_DATAA& fd,
               std::vector<FoundItem>& out, const std::function<void(const std::string&)>& note) {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        note("Skipping link " + native_to_utf8(native));
        return;
    }
    out.push_back(found_item(native, name, fd));
    if (out.back().folder) scan_folder(native, name, out, note);
}

}  // namespace

std::unique_ptr<ByteSource> open_file(const std::string& native_path) {
    return std::make_unique<Win32Source>(native_path);
}

std::unique_ptr<Destination> open_destination(const std::string& native_root) {
    return std::make_unique<Win32Destination>(native_root);
}

std::unique_ptr<ArchiveSink> create_archive(const std::string& native_path) {
    return std::make_unique<Win32ArchiveSink>(native_path);
}

std::vector<FoundItem> scan_inputs(const std::vector<PackInput>& inputs,
                                   const std::function<void(const std::string&)>& note) {
    std::vector<FoundItem> out;
    for (const PackInput& input : inputs) {
        const InputPlace place = place_input(input.folder, input.path, true);
        if (!place.problem.empty())
            throw Error("cannot add " + native_to_utf8(input.path) + ": " + place.problem);
        std::string name;
        // Appended piece by piece: GCC 12 wrongly warns (-Wrestrict) about "/" + std::string.
        for (const std::string& part : place.name) {
            if (!name.empty()) name += '/';
            name += native_to_utf8(part);
        }
        const std::string& path = place.path;
        DWORD a = GetFileAttributesA(path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES)
            throw Error(win_error("cannot read " + native_to_utf8(path)));
        if ((a & FILE_ATTRIBUTE_DIRECTORY) && name.empty()) {
            scan_folder(path, name, out, note);
            continue;
        }
        if (name.empty())
            throw Error("cannot add " + native_to_utf8(input.path) + ": it is not a folder");
        WIN32_FIND_DATAA fd;
        if (!setup::platform::UniqueFind(FindFirstFileA(path.c_str(), &fd)))
            throw Error(win_error("cannot read " + native_to_utf8(path)));
        if (a & FILE_ATTRIBUTE_DIRECTORY) {
            // A named folder is read even when it is a link (GetFileAttributesA followed it).
            out.push_back(found_item(path, name, fd));
            scan_folder(path, name, out, note);
        } else {
            add_found(path, name, fd, out, note);
        }
    }
    return out;
}

std::string native_to_utf8(const std::string& native) {
    return narrow(widen(native, CP_ACP), CP_UTF8);
}

std::string shown_name(const std::string& name) {
    std::string out = name;
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

}  // namespace uha
