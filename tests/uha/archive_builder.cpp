#include "tests/uha/archive_builder.h"

#include <cstring>

#include "uha/src/codec.h"
#include "uha/src/crc32.h"
#include "uha/src/error.h"

std::string build_archive(const std::vector<EntrySpec>& entries, const BuildOptions& options) {
    uha::Table table;
    std::string stream;
    for (const EntrySpec& e : entries) {
        uha::Entry entry;
        entry.kind = e.folder ? uha::EntryKind::folder : uha::EntryKind::file;
        entry.name = e.name;
        entry.size = e.data.size();
        entry.crc = uha::crc32_update(0, e.data.data(), e.data.size());
        entry.mtime = 133000000000000000ull;  // 2022
        table.entries.push_back(entry);
        stream += e.data;
    }
    std::string out(uha::kHeaderSize, '\0');
    for (size_t pos = 0; pos < stream.size(); pos += options.block_size) {
        size_t n = std::min<size_t>(options.block_size, stream.size() - pos);
        uint32_t dict = uha::dict_size_for(n, uha::Level{6, false});
        auto packed = uha::compress(reinterpret_cast<const uint8_t*>(stream.data()) + pos, n,
                                    uha::Coding{options.filter, dict}, uha::Level{6, false});
        table.blocks.push_back(uha::Block{out.size(), packed.size(), n, options.filter, dict, 0});
        out.append(packed.begin(), packed.end());
    }
    if (options.tweak) options.tweak(table);
    auto raw = uha::encode_table(table);
    auto packed =
        uha::compress(raw.data(), raw.size(), uha::Coding{uha::Filter::lzma2, uha::kTableDictSize},
                      uha::Level{6, false});
    uha::Header header{out.size(), static_cast<uint32_t>(packed.size()),
                       static_cast<uint32_t>(raw.size()),
                       uha::crc32_update(0, raw.data(), raw.size())};
    out.append(packed.begin(), packed.end());
    auto head = uha::encode_header(header);
    std::memcpy(out.data(), head.data(), head.size());
    return out;
}

void MemorySource::read_at(uint64_t offset, void* buffer, size_t n) {
    if (offset > bytes_.size() || n > bytes_.size() - offset) throw uha::Error("read past the end");
    std::memcpy(buffer, bytes_.data() + offset, n);
}
