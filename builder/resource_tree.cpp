#include "builder/resource_tree.h"

#include <algorithm>
#include <set>
#include <string>

#include "builder/byte_view.h"

namespace setup::pe {
namespace {

// The high bit of an entry's name field marks a name; of its offset field, a subdirectory.
constexpr uint32_t kHighBit = 0x80000000;
constexpr size_t kDirectorySize = 16;
constexpr size_t kEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
// Data may be shared between entries, but a tree whose data adds up to more than this many
// times its section is hostile: it would make the reader copy the same bytes without end.
constexpr uint64_t kDataRepeatLimit = 4;

struct Entry {
    ResourceName name;
    uint32_t target = 0;  // offset within the section of the subdirectory or data entry
    bool is_directory = false;
};

class TreeReader {
  public:
    TreeReader(std::span<const uint8_t> image, const Section& section)
        : section_(section),
          view_(raw_data(image, section).first(std::min(section.raw_size, section.mapped_size())),
                "section " + section.name) {}

    ResourceTree read() {
        ResourceTree tree;
        std::vector<Entry> types;
        tree.header = directory(0, "the root resource directory", types);
        for (const Entry& t : types) {
            TypeNode type{t.name, {}, {}};
            const std::string type_text = "resource type " + type_label(t.name);
            std::vector<Entry> names;
            type.header = subdirectory(t, type_text, names);
            for (const Entry& n : names) {
                NameNode name{n.name, {}, {}};
                const std::string name_label = "resource " + describe(t.name, n.name);
                std::vector<Entry> languages;
                name.header = subdirectory(n, name_label, languages);
                for (const Entry& l : languages) {
                    const std::string label = name_label + " language " + l.name.to_string();
                    if (l.name.is_name())
                        throw PeError(label + " is named: a language must be a number");
                    if (l.is_directory)
                        throw PeError(label +
                                      " points at a directory: the tree is deeper than "
                                      "type, name and language");
                    name.languages.push_back(data_entry(l, label));
                }
                type.names.push_back(std::move(name));
            }
            tree.types.push_back(std::move(type));
        }
        return tree;
    }

  private:
    const Section& section_;
    ByteView view_;
    std::set<uint32_t> visited_;
    uint64_t data_total_ = 0;

    std::string at(uint64_t offset) const {
        return " (offset " + hex(offset) + " of " + view_.where() + ")";
    }

    DirectoryHeader subdirectory(const Entry& entry, const std::string& label,
                                 std::vector<Entry>& entries) {
        if (!entry.is_directory)
            throw PeError(label +
                          " points at data where a directory belongs: the tree is "
                          "shallower than type, name and language");
        return directory(entry.target, label, entries);
    }

    DirectoryHeader directory(uint32_t offset, const std::string& label,
                              std::vector<Entry>& entries) {
        // Each directory is the child of exactly one entry; one reached again is a loop (or a
        // shared subtree) that would repeat resources.
        if (!visited_.insert(offset).second)
            throw PeError(label + ": its directory is reached twice, a loop in the tree" +
                          at(offset));
        view_.slice(offset, kDirectorySize, label + "'s directory");
        DirectoryHeader h;
        h.characteristics = view_.u32(offset, label);
        h.timestamp = view_.u32(offset + 4, label);
        h.major_version = view_.u16(offset + 8, label);
        h.minor_version = view_.u16(offset + 10, label);
        uint32_t count = uint32_t{view_.u16(offset + 12, label)} + view_.u16(offset + 14, label);
        view_.slice(uint64_t{offset} + kDirectorySize, uint64_t{count} * kEntrySize,
                    "the " + std::to_string(count) + " entries of " + label);
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t e = uint64_t{offset} + kDirectorySize + i * kEntrySize;
            Entry entry;
            entry.name = entry_name(view_.u32(e, label), label, e);
            uint32_t target = view_.u32(e + 4, label);
            entry.is_directory = target & kHighBit;
            entry.target = target & ~kHighBit;
            entries.push_back(std::move(entry));
        }
        return h;
    }

    ResourceName entry_name(uint32_t field, const std::string& label, uint64_t entry) {
        if (!(field & kHighBit)) {
            if (field > 0xffff)
                throw PeError("an entry of " + label + " has the id " + hex(field) +
                              ", above 65535" + at(entry));
            return ResourceName::from_id(static_cast<uint16_t>(field));
        }
        uint32_t offset = field & ~kHighBit;
        uint16_t length = view_.u16(offset, "the name of an entry of " + label);
        if (length == 0) throw PeError("an entry of " + label + " has an empty name" + at(offset));
        auto chars = view_.slice(uint64_t{offset} + 2, uint64_t{length} * 2,
                                 "the name of an entry of " + label);
        ResourceName name;
        for (size_t i = 0; i < length; ++i) name.name.push_back(load16(chars, 2 * i));
        return name;
    }

    LanguageNode data_entry(const Entry& entry, const std::string& label) {
        if (!visited_.insert(entry.target).second)
            throw PeError(label + ": its data entry is reached twice" + at(entry.target));
        view_.slice(entry.target, kDataEntrySize, label + "'s data entry");
        uint32_t rva = view_.u32(entry.target, label);
        uint32_t size = view_.u32(entry.target + 4, label);
        LanguageNode node;
        node.language = entry.name.id;
        node.codepage = view_.u32(entry.target + 8, label);
        if (rva < section_.virtual_address || !view_.contains(rva - section_.virtual_address, size))
            throw PeError(label + "'s data at RVA " + hex(rva) + " (" + std::to_string(size) +
                          " bytes) lies outside " + view_.where());
        node.data = view_.slice(rva - section_.virtual_address, size, label);
        data_total_ += size;
        if (data_total_ > kDataRepeatLimit * view_.size())
            throw PeError("the resources' data adds up to more than " +
                          std::to_string(kDataRepeatLimit) + " times the size of " + view_.where() +
                          ": entries point at the same bytes over and over");
        return node;
    }
};

// Sorts `nodes` by `key` with `before` and refuses two equal neighbours.
template <typename Node, typename Key, typename Before, typename Same, typename Label>
void sort_level(std::vector<Node>& nodes, Key key, Before before, Same same, Label label) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](const Node& a, const Node& b) { return before(key(a), key(b)); });
    for (size_t i = 1; i < nodes.size(); ++i)
        if (same(key(nodes[i - 1]), key(nodes[i])))
            throw PeError("the resource tree holds " + label(nodes[i]) + " twice");
}

void write_directory(std::span<uint8_t> out, uint64_t offset, const DirectoryHeader& h,
                     size_t named, size_t numbered) {
    store32(out, offset, h.characteristics);
    store32(out, offset + 4, h.timestamp);
    store16(out, offset + 8, h.major_version);
    store16(out, offset + 10, h.minor_version);
    store16(out, offset + 12, static_cast<uint16_t>(named));
    store16(out, offset + 14, static_cast<uint16_t>(numbered));
}

template <typename Node, typename Key>
size_t count_named(const std::vector<Node>& nodes, Key key) {
    return std::count_if(nodes.begin(), nodes.end(),
                         [&](const Node& n) { return key(n).is_name(); });
}

}  // namespace

ResourceTree read_resource_tree(std::span<const uint8_t> image, const Section& section) {
    return TreeReader(image, section).read();
}

void sort_resource_tree(ResourceTree& tree) {
    auto by_type = [](const TypeNode& t) -> const ResourceName& { return t.type; };
    auto by_name = [](const NameNode& n) -> const ResourceName& { return n.name; };
    auto by_language = [](const LanguageNode& l) { return l.language; };
    sort_level(tree.types, by_type, resource_before, same_resource,
               [](const TypeNode& t) { return "type " + type_label(t.type); });
    for (TypeNode& t : tree.types) {
        sort_level(t.names, by_name, resource_before, same_resource,
                   [&](const NameNode& n) { return describe(t.type, n.name); });
        for (NameNode& n : t.names)
            sort_level(n.languages, by_language, std::less<uint16_t>(), std::equal_to<uint16_t>(),
                       [&](const LanguageNode& l) {
                           return describe(t.type, n.name) + " language " +
                                  std::to_string(l.language);
                       });
    }
}

std::vector<uint8_t> write_resource_section(const ResourceTree& tree, uint32_t section_rva) {
    // First pass: where everything goes.
    uint64_t pos = kDirectorySize + kEntrySize * tree.types.size();
    std::vector<uint64_t> type_dirs, name_dirs;
    size_t data_count = 0;
    for (const TypeNode& t : tree.types) {
        type_dirs.push_back(pos);
        pos += kDirectorySize + kEntrySize * t.names.size();
    }
    for (const TypeNode& t : tree.types)
        for (const NameNode& n : t.names) {
            name_dirs.push_back(pos);
            pos += kDirectorySize + kEntrySize * n.languages.size();
            data_count += n.languages.size();
        }
    const uint64_t data_entries = pos;
    pos += kDataEntrySize * data_count;
    std::vector<uint64_t> strings;  // for each named type and name, in tree order
    auto place_string = [&](const ResourceName& r) {
        if (!r.is_name()) return;
        strings.push_back(pos);
        pos += 2 + 2 * uint64_t{r.name.size()};
    };
    for (const TypeNode& t : tree.types) {
        place_string(t.type);
        for (const NameNode& n : t.names) place_string(n.name);
    }
    std::vector<uint64_t> data;
    for (const TypeNode& t : tree.types)
        for (const NameNode& n : t.names)
            for (const LanguageNode& l : n.languages) {
                pos = align_up(pos, 8);
                data.push_back(pos);
                pos += l.data.size();
            }
    if (pos >= kHighBit || uint64_t{section_rva} + pos > 0xffffffffu)
        throw PeError("the resources would take " + std::to_string(pos) +
                      " bytes: more than a resource section can address");

    // Second pass: write.
    std::vector<uint8_t> out(static_cast<size_t>(pos), 0);
    std::span<uint8_t> o(out);
    size_t next_name_dir = 0, next_data = 0, next_string = 0;
    auto name_field = [&](const ResourceName& r) -> uint32_t {
        if (!r.is_name()) return r.id;
        uint64_t at = strings[next_string++];
        if (r.name.size() > 0xffff)
            throw PeError("resource name " + r.to_string().substr(0, 40) + "... is too long");
        store16(o, at, static_cast<uint16_t>(r.name.size()));
        for (size_t i = 0; i < r.name.size(); ++i) store16(o, at + 2 + 2 * i, r.name[i]);
        return static_cast<uint32_t>(at) | kHighBit;
    };
    auto check_count = [](size_t count, const std::string& label) {
        if (count > 0xffff)
            throw PeError(label + " would hold " + std::to_string(count) +
                          " entries, more than a directory can count");
    };
    check_count(tree.types.size(), "the root resource directory");
    write_directory(
        o, 0, tree.header, count_named(tree.types, [](const TypeNode& t) { return t.type; }),
        tree.types.size() - count_named(tree.types, [](const TypeNode& t) { return t.type; }));
    for (size_t ti = 0; ti < tree.types.size(); ++ti) {
        const TypeNode& t = tree.types[ti];
        uint64_t root_entry = kDirectorySize + kEntrySize * ti;
        store32(o, root_entry, name_field(t.type));
        store32(o, root_entry + 4, static_cast<uint32_t>(type_dirs[ti]) | kHighBit);
        check_count(t.names.size(), "resource type " + type_label(t.type));
        size_t named = count_named(t.names, [](const NameNode& n) { return n.name; });
        write_directory(o, type_dirs[ti], t.header, named, t.names.size() - named);
        for (size_t ni = 0; ni < t.names.size(); ++ni) {
            const NameNode& n = t.names[ni];
            uint64_t type_entry = type_dirs[ti] + kDirectorySize + kEntrySize * ni;
            uint64_t name_dir = name_dirs[next_name_dir++];
            store32(o, type_entry, name_field(n.name));
            store32(o, type_entry + 4, static_cast<uint32_t>(name_dir) | kHighBit);
            check_count(n.languages.size(), "resource " + describe(t.type, n.name));
            write_directory(o, name_dir, n.header, 0, n.languages.size());
            for (size_t li = 0; li < n.languages.size(); ++li) {
                const LanguageNode& l = n.languages[li];
                uint64_t entry = data_entries + kDataEntrySize * next_data;
                uint64_t at = data[next_data++];
                store32(o, name_dir + kDirectorySize + kEntrySize * li, l.language);
                store32(o, name_dir + kDirectorySize + kEntrySize * li + 4,
                        static_cast<uint32_t>(entry));
                store32(o, entry, static_cast<uint32_t>(section_rva + at));
                store32(o, entry + 4, static_cast<uint32_t>(l.data.size()));
                store32(o, entry + 8, l.codepage);
                std::copy(l.data.begin(), l.data.end(), out.begin() + static_cast<ptrdiff_t>(at));
            }
        }
    }
    return out;
}

}  // namespace setup::pe
