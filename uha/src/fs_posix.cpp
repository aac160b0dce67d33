// The archiver's file system on Linux. Extraction walks the destination with openat() and
// O_NOFOLLOW from a descriptor of its root, so no link inside it can lead a name outside.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "uha/src/error.h"
#include "uha/src/format.h"
#include "uha/src/fs.h"
#include "uha/src/names.h"

namespace uha {

namespace {

constexpr int64_t kUnixEpochTicks = 116444736000000000;  // 1970-01-01 as a FILETIME

std::string sys_error(const std::string& what, int err = errno) {
    return what + ": " + std::strerror(err);
}

// Owns one file descriptor.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = std::exchange(o.fd_, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Closes and reports the error that close() may carry for delayed writes.
    int close_checked() { return ::close(std::exchange(fd_, -1)); }

  private:
    int fd_ = -1;
};

uint64_t ticks_from(const timespec& ts) {
    int64_t t = static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100 + kUnixEpochTicks;
    return t < 0 ? 0 : static_cast<uint64_t>(t);
}

timespec timespec_from(uint64_t ticks) {
    int64_t t = static_cast<int64_t>(std::min<uint64_t>(ticks, INT64_MAX)) - kUnixEpochTicks;
    int64_t sec = t / 10000000;
    int64_t rest = t % 10000000;
    if (rest < 0) {
        rest += 10000000;
        sec -= 1;
    }
    return timespec{static_cast<time_t>(sec), static_cast<long>(rest * 100)};
}

void write_all(int fd, const void* data, size_t n, uint64_t offset, const std::string& what) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(offset));
        if (w < 0) {
            if (errno == EINTR) continue;
            throw Error(sys_error("cannot write " + what));
        }
        p += w;
        n -= static_cast<size_t>(w);
        offset += static_cast<uint64_t>(w);
    }
}

std::string temp_name() {
    static std::atomic<unsigned> counter{0};
    return ".uha-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
}

class PosixSource : public ByteSource {
  public:
    explicit PosixSource(const std::string& path) : path_(path) {
        fd_ = Fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd_) throw Error(sys_error("cannot open " + path));
        struct stat st;
        if (::fstat(fd_.get(), &st) != 0) throw Error(sys_error("cannot read " + path));
        if (!S_ISREG(st.st_mode)) throw Error("cannot open " + path + ": not a file");
        size_ = static_cast<uint64_t>(st.st_size);
    }
    uint64_t size() const override { return size_; }
    void read_at(uint64_t offset, void* buffer, size_t n) override {
        char* p = static_cast<char*>(buffer);
        while (n > 0) {
            ssize_t r = ::pread(fd_.get(), p, n, static_cast<off_t>(offset));
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) throw Error(sys_error("cannot read " + path_));
            if (r == 0) throw Error("cannot read " + path_ + ": it is shorter than expected");
            p += r;
            n -= static_cast<size_t>(r);
            offset += static_cast<uint64_t>(r);
        }
    }

  private:
    std::string path_;
    Fd fd_;
    uint64_t size_ = 0;
};

class PosixOutputFile : public OutputFile {
  public:
    PosixOutputFile(Fd folder, std::string temp, std::string final_leaf, std::string name, Fd fd)
        : folder_(std::move(folder)),
          temp_(std::move(temp)),
          leaf_(std::move(final_leaf)),
          name_(std::move(name)),
          fd_(std::move(fd)) {}
    ~PosixOutputFile() override {
        if (!committed_) {
            fd_.reset();
            ::unlinkat(folder_.get(), temp_.c_str(), 0);
        }
    }
    void write_at(uint64_t offset, const void* data, size_t n) override {
        write_all(fd_.get(), data, n, offset, name_);
    }
    void commit(const FileMeta& meta, bool replace) override {
        timespec times[2] = {timespec_from(meta.mtime), timespec_from(meta.mtime)};
        if (::futimens(fd_.get(), times) != 0)
            throw Error(sys_error("cannot set time of " + name_));
        if (meta.attributes & kAttrReadOnly) {
            struct stat st;
            if (::fstat(fd_.get(), &st) == 0) ::fchmod(fd_.get(), st.st_mode & ~0222);
        }
        if (fd_.close_checked() != 0) throw Error(sys_error("cannot write " + name_));
        if (!replace) {
            struct stat st;
            if (::fstatat(folder_.get(), leaf_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                throw Error("cannot create " + name_ + ": it exists");
        }
        if (::renameat(folder_.get(), temp_.c_str(), folder_.get(), leaf_.c_str()) != 0)
            throw Error(sys_error("cannot create " + name_));
        committed_ = true;
    }

  private:
    Fd folder_;
    std::string temp_, leaf_, name_;
    Fd fd_;
    bool committed_ = false;
};

class PosixDestination : public Destination {
  public:
    explicit PosixDestination(const std::string& root) : root_path_(without_trailing_slash(root)) {
        make_parents(root_path_);
        // The root itself is not followed either: extracting through a link would write
        // wherever it leads, and an elevated installer must not be pointed elsewhere that way.
        root_ = Fd(::open(root_path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!root_) {
            int err = errno;
            struct stat st;
            if (err == ELOOP ||
                (err == ENOTDIR && ::lstat(root_path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)))
                throw Error("destination is a symbolic link: " + native_to_utf8(root_path_));
            throw Error(sys_error("cannot open destination folder " + root_path_, err));
        }
    }

    Occupant existing(const std::string& name) override {
        auto parts = split_name(name);
        Fd folder = walk(parts, parts.size() - 1, false, name);
        if (!folder) return {};
        struct stat st;
        std::string leaf(parts.back());
        if (::fstatat(folder.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return {};
        if (S_ISREG(st.st_mode)) return {Existing::file, static_cast<uint64_t>(st.st_size)};
        if (S_ISDIR(st.st_mode)) return {Existing::folder, 0};
        return {Existing::other, 0};
    }

    void make_folder(const std::string& name) override {
        auto parts = split_name(name);
        walk(parts, parts.size(), true, name);
    }

    void set_folder_meta(const std::string& name, const FileMeta& meta) override {
        auto parts = split_name(name);
        Fd folder = walk(parts, parts.size(), false, name);
        if (!folder) throw Error("cannot set time of " + name + ": it is missing");
        timespec times[2] = {timespec_from(meta.mtime), timespec_from(meta.mtime)};
        if (::futimens(folder.get(), times) != 0)
            throw Error(sys_error("cannot set time of " + name));
    }

    std::unique_ptr<OutputFile> create_file(const std::string& name) override {
        auto parts = split_name(name);
        Fd folder = walk(parts, parts.size() - 1, false, name);
        if (!folder) throw Error("cannot create " + name + ": its folder is missing");
        std::string temp = temp_name();
        Fd fd(::openat(folder.get(), temp.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!fd) throw Error(sys_error("cannot create " + name));
        return std::make_unique<PosixOutputFile>(std::move(folder), temp, std::string(parts.back()),
                                                 name, std::move(fd));
    }

    std::optional<uint64_t> free_space() override {
        struct statvfs vfs;
        if (::fstatvfs(root_.get(), &vfs) != 0) return std::nullopt;
        return static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
    }

  private:
    // "dest/" would make open() follow a link named dest in spite of O_NOFOLLOW.
    static std::string without_trailing_slash(std::string path) {
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        return path;
    }

    static void make_parents(const std::string& path) {
        for (size_t i = 1; i <= path.size(); ++i) {
            if (i < path.size() && path[i] != '/') continue;
            std::string prefix = path.substr(0, i);
            if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
                throw Error(sys_error("cannot create destination folder " + prefix));
        }
    }

    // Opens the folder made of the first `count` components, creating missing ones when asked.
    // Returns an empty Fd when a component is missing and create is false.
    Fd walk(const std::vector<std::string_view>& parts, size_t count, bool create,
            const std::string& name) {
        Fd current(::dup(root_.get()));
        if (!current) throw Error(sys_error("cannot open destination folder " + root_path_));
        for (size_t i = 0; i < count; ++i) {
            std::string part(parts[i]);
            int fd = ::openat(current.get(), part.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0 && errno == ENOENT) {
                if (!create) return Fd();
                if (::mkdirat(current.get(), part.c_str(), 0777) != 0 && errno != EEXIST)
                    throw Error(sys_error("cannot create folder " + name));
                fd = ::openat(current.get(), part.c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            }
            if (fd < 0) {
                if (errno == ELOOP || errno == ENOTDIR)
                    throw Error("cannot use " + name + ": a file or link stands where a folder " +
                                "should be");
                throw Error(sys_error("cannot open folder of " + name));
            }
            current = Fd(fd);
        }
        return current;
    }

    std::string root_path_;
    Fd root_;
};

class PosixArchiveSink : public ArchiveSink {
  public:
    explicit PosixArchiveSink(const std::string& path) : path_(path), temp_(path + temp_name()) {
        fd_ = Fd(::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd_) throw Error(sys_error("cannot create " + temp_));
    }
    ~PosixArchiveSink() override {
        if (!committed_) {
            fd_.reset();
            ::unlink(temp_.c_str());
        }
    }
    void write(const void* data, size_t n) override {
        write_all(fd_.get(), data, n, offset_, path_);
        offset_ += n;
    }
    void write_at(uint64_t offset, const void* data, size_t n) override {
        write_all(fd_.get(), data, n, offset, path_);
    }
    void commit() override {
        if (fd_.close_checked() != 0) throw Error(sys_error("cannot write " + path_));
        if (::rename(temp_.c_str(), path_.c_str()) != 0)
            throw Error(sys_error("cannot create " + path_));
        committed_ = true;
    }

  private:
    std::string path_, temp_;
    Fd fd_;
    uint64_t offset_ = 0;
    bool committed_ = false;
};

void scan_folder(const std::string& native, const std::string& name, std::vector<FoundItem>& out,
                 const std::function<void(const std::string&)>& note);

FoundItem found_item(const std::string& native, const std::string& name, const struct stat& st) {
    if (auto problem = name_problem(name))
        throw Error("cannot store " + native_to_utf8(native) + ": its name " + *problem);
    FoundItem item;
    item.name = name;
    item.native_path = native;
    item.folder = S_ISDIR(st.st_mode);
    item.size = item.folder ? 0 : static_cast<uint64_t>(st.st_size);
    item.meta.mtime = ticks_from(st.st_mtim);
    item.meta.attributes = (st.st_mode & S_IWUSR) ? 0 : kAttrReadOnly;
    return item;
}

void add_item(const std::string& native, const std::string& name, std::vector<FoundItem>& out,
              const std::function<void(const std::string&)>& note) {
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0) throw Error(sys_error("cannot read " + native));
    if (S_ISLNK(st.st_mode)) {
        note("Skipping link " + native_to_utf8(native));
        return;
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        note("Skipping special file " + native_to_utf8(native));
        return;
    }
    out.push_back(found_item(native, name, st));
    if (S_ISDIR(st.st_mode)) scan_folder(native, name, out, note);
}

void scan_folder(const std::string& native, const std::string& name, std::vector<FoundItem>& out,
                 const std::function<void(const std::string&)>& note) {
    DIR* dir = ::opendir(native.c_str());
    if (dir == nullptr) throw Error(sys_error("cannot read folder " + native));
    std::vector<std::string> children;
    while (dirent* d = ::readdir(dir)) {
        std::string child = d->d_name;
        if (child != "." && child != "..") children.push_back(child);
    }
    ::closedir(dir);
    std::sort(children.begin(), children.end());
    for (const std::string& child : children) {
        std::string sep = native.ends_with('/') ? "" : "/";
        add_item(native + sep + child, name.empty() ? child : name + "/" + child, out, note);
    }
}

}  // namespace

std::unique_ptr<ByteSource> open_file(const std::string& native_path) {
    return std::make_unique<PosixSource>(native_path);
}

std::unique_ptr<Destination> open_destination(const std::string& native_root) {
    return std::make_unique<PosixDestination>(native_root);
}

std::unique_ptr<ArchiveSink> create_archive(const std::string& native_path) {
    return std::make_unique<PosixArchiveSink>(native_path);
}

std::vector<FoundItem> scan_inputs(const std::vector<PackInput>& inputs,
                                   const std::function<void(const std::string&)>& note) {
    std::vector<FoundItem> out;
    for (const PackInput& input : inputs) {
        const InputPlace place = place_input(input.folder, input.path, false);
        if (!place.problem.empty())
            throw Error("cannot add " + native_to_utf8(input.path) + ": " + place.problem);
        std::string name;
        for (const std::string& part : place.name) {
            if (!name.empty()) name += '/';
            name += part;
        }
        struct stat st;
        if (::stat(place.path.c_str(), &st) != 0)
            throw Error(sys_error("cannot read " + place.path));
        if (S_ISDIR(st.st_mode)) {
            if (!name.empty()) out.push_back(found_item(place.path, name, st));
            scan_folder(place.path, name, out, note);
        } else if (name.empty()) {
            throw Error("cannot add " + native_to_utf8(input.path) + ": it is not a folder");
        } else {
            add_item(place.path, name, out, note);
        }
    }
    return out;
}

std::string native_to_utf8(const std::string& native) {
    if (is_valid_utf8(native)) return native;
    std::string out;
    for (char c : native) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
    return out;
}

std::string shown_name(const std::string& name) {
    return name;
}

}  // namespace uha
