// The PE module against the real stub, the Windows build's Setup.exe: its resources read back,
// stamped larger, smaller and at the same size, restamped, and refused when signed or damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "builder/byte_view.h"
#include "builder/pe_image.h"
#include "builder/pe_resources.h"
#include "builder/resource_tree.h"
#include "tests/support/process.h"
#include "tests/support/temp_tree.h"

using namespace setup::pe;
using namespace testing_support;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
Bytes read_bytes(const std::string& path) {
    return bytes(read_file(test_program_path(path)));
}
ResourceName rc(const char* name) {
    return ResourceName::from_ascii(name);
}
const ResourceName kRcData = ResourceName::from_id(kTypeRcData);

const Resource* find(const std::vector<Resource>& all, uint16_t type, const char* name) {
    for (const Resource& r : all)
        if (r.type == ResourceName::from_id(type) && r.name == rc(name)) return &r;
    return nullptr;
}

const Section& section_named(const PeHeaders& h, const std::string& name) {
    for (const Section& s : h.sections)
        if (s.name == name) return s;
    throw std::runtime_error("no section " + name);
}

class PeStub : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(test_program_path(SETUP_STUB)))
            << "the stub " SETUP_STUB
               " is missing: build the windows preset first "
               "(cmake --preset windows && cmake --build --preset windows --target Setup)";
        image = read_bytes(SETUP_STUB);
        headers = parse_pe_headers(image);
    }
    Bytes image;
    PeHeaders headers;
};

TEST_F(PeStub, ReadsWhatTheBuildPutIn) {
    auto all = read_resources(image);
    const Resource* setup = find(all, kTypeRcData, "SETUP");
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->data, read_bytes(RESOURCES_DIR "/setup.ini"));
    ASSERT_NE(find(all, kTypeRcData, "JPG"), nullptr);
    EXPECT_EQ(find(all, kTypeRcData, "JPG")->data,
              read_bytes(RESOURCES_DIR "/pictures/header.jpg"));
    ASSERT_NE(find(all, kTypeManifest, "#1"), nullptr);
    EXPECT_EQ(find(all, kTypeManifest, "#1")->data, read_bytes(RESOURCES_DIR "/setup.manifest"));
    ASSERT_NE(find(all, kTypeGroupIcon, "MAINICON"), nullptr);
    ASSERT_NE(find(all, kTypeRcData, "UHA"), nullptr);
    EXPECT_EQ(find(all, kTypeRcData, "UHA")->data[0], 'M');

    // In tree order: as the resource compiler sorted them.
    std::vector<std::string> rcdata;
    for (const Resource& r : all)
        if (r.type == kRcData) rcdata.push_back(r.name.to_string());
    EXPECT_EQ(rcdata, (std::vector<std::string>{"JPG", "SETUP", "STUBVERSION", "TFORM1", "UHA",
                                                "UNINSTALL"}));

    // The linker stores the checksum: an independent check of ours.
    EXPECT_EQ(pe_checksum(image), load32(image, headers.checksum_field()));
}

struct StampCase {
    const char* label;
    std::function<std::vector<Replacement>(const std::vector<Resource>&)> changes;
    int moves;  // the relocations' file offset: +1 later, -1 earlier, 0 unchanged
};

const StampCase kStampCases[] = {
    {"grow",
     [](const std::vector<Resource>&) {
         return std::vector<Replacement>{{kRcData, rc("SETUP"), bytes(noise(3 << 20, 1))},
                                         {kRcData, ResourceName{0, u"Jpg"}, bytes(noise(20001, 2))},
                                         {kRcData, rc("EXTRA"), bytes("new")},
                                         {kRcData, rc("#123"), bytes("numbered")}};
     },
     +1},
    {"shrink",
     [](const std::vector<Resource>&) {
         return std::vector<Replacement>{{kRcData, rc("UHA"), bytes("MZ")},
                                         {kRcData, rc("UNINSTALL"), {}}};
     },
     -1},
    {"same size",
     [](const std::vector<Resource>& before) {
         size_t size = find(before, kTypeRcData, "SETUP")->data.size();
         return std::vector<Replacement>{{kRcData, rc("SETUP"), Bytes(size, 'x')}};
     },
     0},
};

// Every byte before the resource section's data, with the fields a stamp rewrites set to 0.
Bytes masked_prefix(const Bytes& image) {
    PeHeaders h = parse_pe_headers(image);
    const Section& rs = section_named(h, ".rsrc");
    const Section& reloc = section_named(h, ".reloc");
    Bytes prefix(image.begin(), image.begin() + rs.raw_offset);
    for (size_t field :
         {h.checksum_field(), h.size_of_image_field(), h.size_of_initialized_data_field(),
          rs.header_offset + 8, rs.header_offset + 16, reloc.header_offset + 12,
          reloc.header_offset + 20, h.directory_field(kResourceDirectory) + 4,
          h.directory_field(kBaseRelocationDirectory)})
        store32(prefix, field, 0);
    return prefix;
}

TEST_F(PeStub, StampReplacesAddsAndMovesOnlyWhatFollows) {
    const Bytes overlay = bytes("appended data, odd length");
    Bytes input = image;
    input.insert(input.end(), overlay.begin(), overlay.end());
    const auto before = read_resources(image);
    const Resource& first_rcdata = *std::find_if(
        before.begin(), before.end(), [](const Resource& r) { return r.type == kRcData; });
    const Section& old_rs = section_named(headers, ".rsrc");
    const Section& old_reloc = section_named(headers, ".reloc");

    for (const StampCase& c : kStampCases) {
        SCOPED_TRACE(c.label);
        const auto changes = c.changes(before);
        const Bytes out = stamp_resources(input, changes);

        // The stub's resources with the changes: new bytes in the old language, or added in
        // the language of the stub's RCDATA; every other one with its old bytes.
        std::vector<Resource> expected = before;
        for (const Replacement& r : changes) {
            bool found = false;
            for (Resource& e : expected)
                if (e.type == r.type && same_resource(e.name, r.name))
                    found = true, e.data = r.data;
            if (!found)
                expected.push_back(
                    {r.type, r.name, first_rcdata.language, first_rcdata.codepage, r.data});
        }
        const auto after = read_resources(out);
        EXPECT_EQ(after.size(), expected.size());
        for (const Resource& e : expected) {
            auto now = std::find_if(after.begin(), after.end(), [&](const Resource& a) {
                return a.type == e.type && same_resource(a.name, e.name) &&
                       a.language == e.language;
            });
            ASSERT_NE(now, after.end()) << describe(e.type, e.name);
            EXPECT_TRUE(now->data == e.data && now->codepage == e.codepage)
                << describe(e.type, e.name);
        }

        // Layout: everything before .rsrc is unchanged but for the rewritten fields; .reloc
        // follows .rsrc directly, in the file and in memory, with its bytes unchanged; the
        // overlay follows it; the padding is zero.
        EXPECT_EQ(masked_prefix(out), masked_prefix(input));
        const PeHeaders h = parse_pe_headers(out);
        const Section& rs = section_named(h, ".rsrc");
        const Section& reloc = section_named(h, ".reloc");
        EXPECT_EQ(h.directory(kResourceDirectory).size, rs.virtual_size);
        EXPECT_EQ(rs.raw_size, align_up(rs.virtual_size, h.file_alignment));
        EXPECT_TRUE(std::all_of(out.begin() + rs.raw_offset + rs.virtual_size,
                                out.begin() + rs.raw_end(), [](uint8_t b) { return b == 0; }));
        EXPECT_EQ(reloc.raw_offset, rs.raw_end());
        EXPECT_EQ(reloc.virtual_address,
                  rs.virtual_address + align_up(rs.virtual_size, h.section_alignment));
        EXPECT_EQ(h.directory(kBaseRelocationDirectory).rva, reloc.virtual_address);
        EXPECT_EQ(h.directory(kBaseRelocationDirectory).size, old_reloc.virtual_size);
        EXPECT_TRUE(std::equal(out.begin() + reloc.raw_offset, out.begin() + reloc.raw_end(),
                               image.begin() + old_reloc.raw_offset));
        EXPECT_EQ(load32(out, h.size_of_image_field()),
                  reloc.virtual_address + align_up(reloc.virtual_size, h.section_alignment));
        EXPECT_EQ(load32(out, h.size_of_initialized_data_field()) - rs.raw_size,
                  load32(image, headers.size_of_initialized_data_field()) - old_rs.raw_size);
        int moved =
            (reloc.raw_offset > old_reloc.raw_offset) - (reloc.raw_offset < old_reloc.raw_offset);
        EXPECT_EQ(moved, c.moves);
        EXPECT_EQ(h.image_end() + overlay.size(), out.size());
        EXPECT_TRUE(std::equal(overlay.begin(), overlay.end(), out.end() - overlay.size()));

        EXPECT_EQ(load32(out, h.checksum_field()), pe_checksum(out));
        EXPECT_EQ(stamp_resources(out, changes), out) << "a second stamp changes nothing";
    }
}

TEST_F(PeStub, NewResourcesGoWhereTheLoaderSearches) {
    const Bytes out = stamp_resources(image, kStampCases[0].changes({}));
    std::vector<std::string> rcdata;
    for (const Resource& r : read_resources(out))
        if (r.type == kRcData) rcdata.push_back(r.name.to_string());
    EXPECT_EQ(rcdata, (std::vector<std::string>{"EXTRA", "JPG", "SETUP", "STUBVERSION", "TFORM1",
                                                "UHA", "UNINSTALL", "#123"}));
}

// Offsets inside the stub's resource section, found by walking it as the loader does.
struct TreeSpots {
    size_t root;              // file offset of the root directory
    size_t first_type_dir;    // file offset of the first type's directory
    size_t rcdata_name;       // file offset of RCDATA's first entry, which is named
    size_t first_data_entry;  // file offset of the first data entry
};

TreeSpots tree_spots(const Bytes& image, const Section& rs) {
    TreeSpots t;
    t.root = rs.raw_offset;
    auto child = [&](size_t entry) {
        return rs.raw_offset + (load32(image, entry + 4) & 0x7fffffff);
    };
    t.first_type_dir = child(t.root + 16);
    size_t rcdata_dir = child(t.root + 16 + 8);  // types are 3 (ICON), 10 (RCDATA), ...
    t.rcdata_name = rcdata_dir + 16;
    size_t name_dir = child(t.first_type_dir + 16);
    t.first_data_entry = child(name_dir + 16);
    return t;
}

TEST_F(PeStub, DamagedOrUnsafeImagesAreRefusedWithTheirFault) {
    const Section& rs = section_named(headers, ".rsrc");
    const Section& reloc = section_named(headers, ".reloc");
    const TreeSpots spot = tree_spots(image, rs);
    ASSERT_EQ(load32(image, spot.root + 16 + 8), kTypeRcData);
    ASSERT_TRUE(load32(image, spot.rcdata_name) & 0x80000000);
    const size_t pe = load32(image, 0x3c);
    auto cut = [](size_t size) { return [size](Bytes& b) { b.resize(size); }; };
    struct Case {
        const char* label;
        std::function<void(Bytes&)> damage;
        const char* message;
        bool stamp_only = false;  // readable, but not safely stamped
        std::vector<Replacement> changes = {{kRcData, rc("SETUP"), bytes("x")}};
    };
    const std::vector<Case> cases = {
        {"signed",
         [&](Bytes& b) {
             store32(b, headers.directory_field(kCertificateDirectory), 0x2dc000);
             store32(b, headers.directory_field(kCertificateDirectory) + 4, 0x1000);
         },
         "the stub is signed (certificate table present): sign after stamping", true},
        {"a section after .rsrc that is not the relocations",
         [&](Bytes& b) { store32(b, headers.directory_field(kBaseRelocationDirectory), 0); },
         "section .rsrc is not the last resizable section", true},
        {"relocations that patch .rsrc",
         [&](Bytes& b) { store32(b, reloc.raw_offset, rs.virtual_address); },
         "base relocations patch the page at RVA", true},
        {"a debug directory inside .rsrc",
         [&](Bytes& b) {
             store32(b, headers.directory_field(kDebugDirectory), rs.virtual_address + 16);
             store32(b, headers.directory_field(kDebugDirectory) + 4, 28);
         },
         "data directory 6 (debug directory)", true},
        {"the same resource twice",
         [](Bytes&) {},
         "RCDATA setup is given twice",
         true,
         {{kRcData, rc("SETUP"), {}}, {kRcData, ResourceName{0, u"setup"}, {}}}},
        {"empty", cut(0), "truncated: 0 bytes"},
        {"cut in the DOS header", cut(40), "truncated"},
        {"cut in the PE header", cut(pe + 10), "COFF file header at offset"},
        {"cut in the section table", cut(headers.sections[3].header_offset), "section table"},
        {"cut in .rsrc", cut(rs.raw_offset + 100), "truncated: section .rsrc's raw data"},
        {"cut in .reloc", cut(reloc.raw_offset + 1), "truncated: section .reloc's raw data"},
        {"bad MZ", [](Bytes& b) { b[1] = 'Y'; }, "bad DOS signature"},
        {"bad PE signature", [&](Bytes& b) { b[pe + 1] = 'X'; }, "bad PE signature"},
        {"e_lfanew past the end", [](Bytes& b) { store32(b, 0x3c, 0xfffffff0); },
         "PE signature at offset 0xfffffff0"},
        {"bad optional header magic",
         [&](Bytes& b) { store16(b, headers.optional_header_offset, 0x30b); },
         "bad optional header magic 0x30b"},
        {"absurd section count", [&](Bytes& b) { store16(b, pe + 6, 0xffff); },
         "NumberOfSections 65535"},
        {"resource section without raw data",
         [&](Bytes& b) {
             store32(b, rs.header_offset + 16, 0);
             store32(b, rs.header_offset + 20, 0xffffff00);
         },
         "section .rsrc holds the resource table but has no raw data"},
        {"resource table outside every section",
         [&](Bytes& b) { store32(b, headers.directory_field(kResourceDirectory), 0x10000000); },
         "the resource table at RVA 0x10000000 lies in no section"},
        {"subdirectory past .rsrc", [&](Bytes& b) { store32(b, spot.root + 16 + 4, 0xfffffff0); },
         "lies past the end of section .rsrc"},
        {"root pointing at itself", [&](Bytes& b) { store32(b, spot.root + 16 + 4, 0x80000000); },
         "reached twice"},
        {"type directory pointing at itself",
         [&](Bytes& b) {
             store32(b, spot.first_type_dir + 16 + 4,
                     static_cast<uint32_t>(spot.first_type_dir - rs.raw_offset) | 0x80000000);
         },
         "reached twice"},
        {"absurd entry count", [&](Bytes& b) { store16(b, spot.root + 14, 0xffff); },
         "of the root resource directory"},
        {"name past .rsrc", [&](Bytes& b) { store32(b, spot.rcdata_name, 0xfffffff0); },
         "the name of an entry of resource type RCDATA"},
        {"data outside .rsrc", [&](Bytes& b) { store32(b, spot.first_data_entry, 0x1000); },
         "'s data at RVA 0x1000"},
        {"data past .rsrc", [&](Bytes& b) { store32(b, spot.first_data_entry + 4, 0x7fffffff); },
         "lies outside section .rsrc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Bytes copy = image;
        c.damage(copy);
        if (c.stamp_only) {
            EXPECT_NO_THROW(read_resources(copy));
        }
        for (bool stamp : {false, true}) {
            if (!stamp && c.stamp_only) continue;
            try {
                stamp ? stamp_resources(copy, c.changes) : (read_resources(copy), Bytes());
                ADD_FAILURE() << (stamp ? "stamped" : "read");
            } catch (const PeError& e) {
                EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            }
        }
    }
}

// Every byte of the directories, names and data entries set to each of a few values: the tree
// is read or refused with a PeError, never read out of bounds (the sanitizer build watches).
TEST_F(PeStub, AnyByteOfTheTreeDamagedIsReadOrRefused) {
    const Section& rs = section_named(headers, ".rsrc");
    size_t tree_end = rs.virtual_size;  // where the first data begins
    for (const TypeNode& t : read_resource_tree(image, rs).types)
        for (const NameNode& n : t.names)
            for (const LanguageNode& l : n.languages)
                tree_end = std::min<size_t>(tree_end, l.data.data() - image.data() - rs.raw_offset);
    ASSERT_LT(tree_end, 4096u);
    size_t refused = 0;
    for (size_t i = rs.raw_offset; i < rs.raw_offset + tree_end; ++i) {
        const uint8_t kept = image[i];
        for (uint8_t value : {0x00, 0x7f, 0x80, 0xff}) {
            image[i] = value;
            try {
                read_resource_tree(image, rs);
            } catch (const PeError&) {
                ++refused;
            }
        }
        image[i] = kept;
    }
    EXPECT_GT(refused, 0u);
}

}  // namespace
