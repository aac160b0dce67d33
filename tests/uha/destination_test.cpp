// Where extraction writes: never through a link, whether the destination is one or a folder
// in it is swapped for one while extracting; and nothing at all when the destination's
// volume cannot take the files.
#include <filesystem>
#include <functional>
#include <optional>

#include "tests/uha/archive_builder.h"
#include "tests/uha/uha_fixture.h"
#include "uha/src/error.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::snapshot;
using testing_support::write_file;

namespace {

// Hands every call to the real destination.
class Forwarding : public uha::Destination {
  public:
    explicit Forwarding(std::unique_ptr<uha::Destination> real) : real_(std::move(real)) {}
    uha::Occupant existing(const std::string& name) override { return real_->existing(name); }
    void make_folder(const std::string& name) override { real_->make_folder(name); }
    void set_folder_meta(const std::string& name, const uha::FileMeta& meta) override {
        real_->set_folder_meta(name, meta);
    }
    std::unique_ptr<uha::OutputFile> create_file(const std::string& name) override {
        return real_->create_file(name);
    }
    std::optional<uint64_t> free_space() override { return real_->free_space(); }

  private:
    std::unique_ptr<uha::Destination> real_;
};

// A volume with as much free space as the test says.
class SizedVolume : public Forwarding {
  public:
    SizedVolume(std::unique_ptr<uha::Destination> real, std::optional<uint64_t> available)
        : Forwarding(std::move(real)), available_(available) {}
    std::optional<uint64_t> free_space() override { return available_; }

  private:
    std::optional<uint64_t> available_;
};

enum class When { creating, committing };

// Runs `act` once, just before the file `trigger` is created, or after it is written and
// just before it takes its name.
class Interfering : public Forwarding {
  public:
    Interfering(std::unique_ptr<uha::Destination> real, std::string trigger, When when,
                std::function<void()> act)
        : Forwarding(std::move(real)), trigger_(std::move(trigger)), when_(when), act_(act) {}

    std::unique_ptr<uha::OutputFile> create_file(const std::string& name) override {
        if (name != trigger_) return Forwarding::create_file(name);
        if (when_ == When::creating) act_();
        auto file = Forwarding::create_file(name);
        if (when_ == When::creating) return file;
        return std::make_unique<ActingFile>(std::move(file), act_);
    }

  private:
    class ActingFile : public uha::OutputFile {
      public:
        ActingFile(std::unique_ptr<uha::OutputFile> real, std::function<void()> act)
            : real_(std::move(real)), act_(std::move(act)) {}
        void write_at(uint64_t offset, const void* data, size_t n) override {
            real_->write_at(offset, data, n);
        }
        void commit(const uha::FileMeta& meta, bool replace) override {
            act_();
            real_->commit(meta, replace);
        }

      private:
        std::unique_ptr<uha::OutputFile> real_;
        std::function<void()> act_;
    };

    std::string trigger_;
    When when_;
    std::function<void()> act_;
};

class DestinationTest : public UhaTest {
  protected:
    uha::ExtractResult extract_into(const std::string& archive, uha::Destination& dest,
                                    bool overwrite) {
        auto source = uha::open_file(native(archive));
        uha::Archive a = uha::read_archive(*source, archive);
        return uha::extract(a, *source, &dest, {overwrite, 1}, out);
    }
};

}  // namespace

// A Windows program under Wine cannot make a link that Wine shows as one (and the C++
// library's folder removal loops on Unix links there), and Wine finds a file held open by
// the path it was opened under, so a folder moved meanwhile loses it: these run natively,
// and tests/destination_links.sh shows uha.exe refusing links under Wine.
#ifndef _WIN32
TEST_F(DestinationTest, DestinationThatIsALinkIsRefused) {
    write_file(tmp / "a.uha", build_archive({{"sub/planted.txt", "evil"}}));
    fs::create_directories(tmp / "outside");
    fs::create_directory_symlink("outside", tmp / "dest");
    fs::create_directory_symlink("missing", tmp / "gone");
    // A trailing separator makes a path lookup follow a link of that name.
    for (const char* given : {"dest", "dest/", "gone"}) {
        SCOPED_TRACE(given);
        try {
            extract(std::string("a.uha"), given, {true, 0});
            ADD_FAILURE() << "extracted through a link";
        } catch (const uha::Error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("destination is a symbolic link: "), std::string::npos)
                << message;
            EXPECT_NE(message.find(std::string(given).substr(0, 4)), std::string::npos) << message;
        }
    }
    EXPECT_TRUE(fs::is_empty(tmp / "outside"));
    EXPECT_FALSE(fs::exists(tmp / "missing"));
}
TEST_F(DestinationTest, FolderSwappedWhileExtractingIsNotFollowed) {
    write_file(tmp / "a.uha", build_archive({{"sub/a.txt", "first"}, {"sub/b.txt", "second"}}));
    struct Case {
        const char* what;
        When when;
        bool link;  // sub becomes a link to outside; otherwise a new, empty folder
    };
    const Case cases[] = {
        {"moved away and remade while a file is written in it", When::committing, false},
        {"swapped for a link before a file is made in it", When::creating, true},
        {"swapped for a link while a file is written in it", When::committing, true},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = "out" + std::to_string(run++);
        const fs::path sub = tmp / (target + "/sub");
        const fs::path outside = tmp / (target + "-outside");
        fs::create_directories(outside);
        auto swap = [&] {
            fs::rename(sub, tmp / (target + "/sub.old"));
            if (c.link)
                fs::create_directory_symlink("../" + target + "-outside", sub);
            else
                fs::create_directory(sub);
        };
        Interfering dest(uha::open_destination(native(target)), "sub/b.txt", c.when, swap);
        if (c.when == When::creating) {
            EXPECT_THROW(extract_into("a.uha", dest, true), uha::Error);
        } else {
            extract_into("a.uha", dest, true);
            // The file is finished in the folder it was begun in, which was moved away.
            EXPECT_EQ(read_file(tmp / (target + "/sub.old/b.txt")), "second");
            if (!c.link) {
                EXPECT_FALSE(fs::exists(sub / "b.txt"));
            }
        }
        EXPECT_TRUE(fs::is_empty(outside));
    }
}

#endif

TEST_F(DestinationTest, ArchiveThatDoesNotFitIsRefusedBeforeAnythingIsWritten) {
    write_file(tmp / "a.uha", build_archive({{"docs/a.txt", std::string(1000, 'a')},
                                             {"b.txt", std::string(2000, 'b')}}));
    struct Case {
        const char* what;
        std::optional<uint64_t> available;
        bool b_exists;  // with 1500 bytes of its own
        bool overwrite;
        std::optional<uint64_t> refused_needing;
    };
    const Case cases[] = {
        {"one byte short", 2999, false, true, 3000},
        {"exactly enough", 3000, false, true, std::nullopt},
        {"a replaced file frees its size", 1499, true, true, 1500},
        {"a replaced file frees its size, enough", 1500, true, true, std::nullopt},
        {"a kept file needs nothing", 1000, true, false, std::nullopt},
        {"a kept file needs nothing, short", 999, true, false, 1000},
        {"the system cannot tell", std::nullopt, false, true, std::nullopt},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = "out" + std::to_string(run++);
        fs::create_directories(tmp / target);
        if (c.b_exists) write_file(tmp / (target + "/b.txt"), std::string(1500, 'x'));
        const auto before = snapshot(tmp / target);
        SizedVolume dest(uha::open_destination(native(target)), c.available);
        if (c.refused_needing) {
            try {
                extract_into("a.uha", dest, c.overwrite);
                ADD_FAILURE() << "not refused";
            } catch (const uha::NoSpaceError& e) {
                EXPECT_EQ(e.needed, *c.refused_needing);
                EXPECT_EQ(e.available, *c.available);
            }
            EXPECT_EQ(snapshot(tmp / target), before);
        } else {
            extract_into("a.uha", dest, c.overwrite);
            EXPECT_EQ(read_file(tmp / (target + "/docs/a.txt")), std::string(1000, 'a'));
            EXPECT_EQ(read_file(tmp / (target + "/b.txt")).size(), c.overwrite ? 2000u : 1500u);
        }
    }
}
