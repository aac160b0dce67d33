// The archiver's file system on Windows, through the ANSI API: names are converted from the
// archive's UTF-8 to the ANSI code page, and a name that code page cannot hold is an error,
// never a '?' in a file name. Folders met on the way that are links (reparse points) are
// refused, so a junction inside the destination cannot lead a name outside it.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <utility>

#include "error.h"
#include "format.h"
#include "fs.h"
#include "names.h"
#include "text_win32.h"

namespace uha {

namespace {

using win32::narrow;
using win32::widen;

std::string system_message(DWORD code) {
    char* buf = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
    std::string text = n ? std::string(buf, n) : "error " + std::to_string(code);
    if (buf) LocalFree(buf);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return native_to_utf8(text);
}

// what is UTF-8 already.
std::string win_error(const std::string& what, DWORD code = GetLastError()) {
    return what + ": " + system_message(code);
}

// Owns one kernel handle.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) CloseHandle(h_);
        h_ = nullptr;
    }
    bool close_checked() { return CloseHandle(std::exchange(h_, nullptr)) != 0; }

  private:
    HANDLE h_ = nullptr;
};

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

class Win32OutputFile : public OutputFile {
  public:
    Win32OutputFile(std::string temp, std::string final_path, std::string name, Handle h)
        : temp_(std::move(temp)),
          final_(std::move(final_path)),
          name_(std::move(name)),
          h_(std::move(h)) {}
    ~Win32OutputFile() override {
        if (!committed_) {
            h_.reset();
            DeleteFileA(temp_.c_str());
        }
    }
    void write_at(uint64_t offset, const void* data, size_t n) override {
        write_all(h_.get(), data, n, offset, name_);
    }
    void commit(const FileMeta& meta, bool replace) override {
        FILETIME ft = filetime(meta.mtime);
        if (!SetFileTime(h_.get(), nullptr, nullptr, &ft))
            throw Error(win_error("cannot set time of " + name_));
        if (!h_.close_checked()) throw Error(win_error("cannot write " + name_));
        if (replace) {
            // A read-only, hidden or system file refuses to be replaced until it is plain.
            DWORD old = GetFileAttributesA(final_.c_str());
            if (old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY))
                SetFileAttributesA(final_.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        if (!MoveFileExA(temp_.c_str(), final_.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
            throw Error(win_error("cannot create " + name_));
        committed_ = true;
        DWORD attrs = meta.attributes & kKeptAttributes;
        if (!SetFileAttributesA(final_.c_str(), attrs ? attrs : FILE_ATTRIBUTE_NORMAL))
            throw Error(win_error("cannot set attributes of " + name_));
    }

  private:
    std::string temp_, final_, name_;
    Handle h_;
    bool committed_ = false;
};

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

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
    }

    Existing existing(const std::string& name) override {
        DWORD a = GetFileAttributesA(path_of(name).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return Existing::none;
        if (a & FILE_ATTRIBUTE_REPARSE_POINT) return Existing::other;
        return (a & FILE_ATTRIBUTE_DIRECTORY) ? Existing::folder : Existing::file;
    }

    void make_folder(const std::string& name) override {
        std::string path = root_;
        for (std::string_view part : split_name(name)) {
            path += '\\';
            path += ansi(std::string(part), name);
            DWORD a = GetFileAttributesA(path.c_str());
            if (a == INVALID_FILE_ATTRIBUTES) {
                if (!CreateDirectoryA(path.c_str(), nullptr) &&
                    GetLastError() != ERROR_ALREADY_EXISTS)
                    throw Error(win_error("cannot create folder " + name));
                a = GetFileAttributesA(path.c_str());
            }
            if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY) ||
                (a & FILE_ATTRIBUTE_REPARSE_POINT))
                throw Error("cannot use " + name + ": a file or link stands where a folder " +
                            "should be");
        }
    }

    void set_folder_meta(const std::string& name, const FileMeta& meta) override {
        Handle h(CreateFileA(path_of(name).c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        FILETIME ft = filetime(meta.mtime);
        if (!h || !SetFileTime(h.get(), nullptr, nullptr, &ft))
            throw Error(win_error("cannot set time of " + name));
    }

    std::unique_ptr<OutputFile> create_file(const std::string& name) override {
        std::string final_path = path_of(name);
        std::string folder = final_path.substr(0, final_path.rfind('\\'));
        std::string temp = folder + "\\" + temp_leaf();
        Handle h(CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) throw Error(win_error("cannot create " + name));
        return std::make_unique<Win32OutputFile>(temp, final_path, name, std::move(h));
    }

  private:
    // Creates the root's missing folders, from the first one below the drive or share.
    void make_parents() {
        size_t start = 0;
        if (root_.size() >= 2 && root_[1] == ':')
            start = 3;
        else if (root_.starts_with("\\\\"))
            start = root_.find('\\', root_.find('\\', 2) + 1) + 1;
        for (size_t i = start; i <= root_.size(); ++i) {
            if (i < root_.size() && !is_separator(root_[i])) continue;
            std::string prefix = root_.substr(0, i);
            if (prefix.size() <= start) continue;
            if (!CreateDirectoryA(prefix.c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                throw Error(
                    win_error("cannot create destination folder " + native_to_utf8(prefix)));
        }
        DWORD a = GetFileAttributesA(root_.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
            throw Error("cannot create destination folder " + native_to_utf8(root_) +
                        ": a file stands there");
    }

    static std::string ansi(const std::string& utf8, const std::string& name) {
        auto out = win32::narrow_exact(widen(utf8, CP_UTF8), CP_ACP);
        if (!out)
            throw Error("cannot extract " + name +
                        ": its name has characters this system's code page cannot hold");
        return *out;
    }

    std::string path_of(const std::string& name) const {
        std::string converted = ansi(name, name);
        std::replace(converted.begin(), converted.end(), '/', '\\');
        return root_ + "\\" + converted;
    }

    std::string root_;
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
        if (!h_.close_checked()) throw Error(win_error("cannot write " + shown_));
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
    HANDLE find = FindFirstFileA((base + "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return;
        throw Error(win_error("cannot read folder " + native_to_utf8(native)));
    }
    std::vector<WIN32_FIND_DATAA> children;
    do {
        std::string leaf = fd.cFileName;
        if (leaf != "." && leaf != "..") children.push_back(fd);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
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
        HANDLE find = FindFirstFileA(path.c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE)
            throw Error(win_error("cannot read " + native_to_utf8(path)));
        FindClose(find);
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
