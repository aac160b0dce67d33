#include "pack.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <thread>
#include <unordered_set>

#include "crc32.h"
#include "error.h"
#include "format.h"
#include "fs.h"
#include "names.h"

namespace uha {

namespace {

constexpr size_t kSniffSize = 4096;

struct InputFile {
    FoundItem item;
    bool program = false;
    std::string extension;
    uint32_t crc = 0;
};

struct BlockSpec {
    Filter filter;
    std::vector<std::pair<size_t, uint64_t>> runs;  // file index, length (in stream order)
    uint64_t size = 0;
};

uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Cuts each group into blocks of equal size, no larger than max_block.
std::vector<BlockSpec> cut_blocks(const std::vector<InputFile>& files, uint64_t max_block) {
    std::vector<BlockSpec> blocks;
    for (bool programs : {true, false}) {
        uint64_t group = 0;
        for (const InputFile& f : files)
            if (f.program == programs) group += f.item.size;
        if (group == 0) continue;
        uint64_t count = (group + max_block - 1) / max_block;
        uint64_t target = (group + count - 1) / count;
        BlockSpec current{programs ? Filter::x86_lzma2 : Filter::lzma2, {}, 0};
        for (size_t i = 0; i < files.size(); ++i) {
            if (files[i].program != programs) continue;
            uint64_t left = files[i].item.size;
            while (left > 0) {
                uint64_t take = std::min(left, target - current.size);
                current.runs.emplace_back(i, take);
                current.size += take;
                left -= take;
                if (current.size == target) {
                    blocks.push_back(std::move(current));
                    current = BlockSpec{programs ? Filter::x86_lzma2 : Filter::lzma2, {}, 0};
                }
            }
        }
        if (current.size > 0) blocks.push_back(std::move(current));
    }
    return blocks;
}

}  // namespace

bool is_x86_program(const uint8_t* head, size_t size) {
    if (size < 0x40 || head[0] != 'M' || head[1] != 'Z') return false;
    uint32_t pe = le32(head + 0x3C);
    if (pe > size - 6) return false;
    if (head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 || head[pe + 3] != 0)
        return false;
    uint16_t machine = static_cast<uint16_t>(head[pe + 4] | (head[pe + 5] << 8));
    return machine == 0x014C || machine == 0x8664;
}

PackResult pack(const std::string& native_archive, const std::vector<std::string>& native_inputs,
                const PackOptions& options, LineSink& sink) {
    std::vector<FoundItem> found =
        scan_inputs(native_inputs, [&](const std::string& text) { sink.line(text); });

    std::unordered_set<std::string> names;
    std::vector<FoundItem> folders;
    std::vector<InputFile> files;
    for (FoundItem& item : found) {
        if (!names.insert(fold_name(item.name)).second)
            throw Error("cannot store " + item.name +
                        " twice (names differ only in case, or "
                        "two inputs hold the same name)");
        if (item.folder) {
            folders.push_back(std::move(item));
            continue;
        }
        InputFile f;
        f.extension = extension_of(item.name);
        if (item.size >= 0x40) {
            uint8_t head[kSniffSize];
            size_t n = static_cast<size_t>(std::min<uint64_t>(item.size, kSniffSize));
            open_file(item.native_path)->read_at(0, head, n);
            f.program = is_x86_program(head, n);
        }
        f.item = std::move(item);
        files.push_back(std::move(f));
    }
    std::sort(folders.begin(), folders.end(),
              [](const FoundItem& x, const FoundItem& y) { return x.name < y.name; });
    std::stable_sort(files.begin(), files.end(), [](const InputFile& x, const InputFile& y) {
        if (x.program != y.program) return x.program;
        if (x.extension != y.extension) return x.extension < y.extension;
        return x.item.name < y.item.name;
    });

    const std::vector<BlockSpec> specs =
        cut_blocks(files, std::max<uint64_t>(options.max_block_size, 1));
    uint64_t total_bytes = 0;
    for (const BlockSpec& b : specs) total_bytes += b.size;

    for (const InputFile& f : files)
        if (f.item.size == 0) sink.line("Adding " + shown_name(f.item.name));
    std::unique_ptr<ArchiveSink> out = create_archive(native_archive);
    std::array<uint8_t, kHeaderSize> placeholder{};
    out->write(placeholder.data(), placeholder.size());
    uint64_t offset = kHeaderSize;

    Table table;
    unsigned threads = options.threads ? options.threads : std::thread::hardware_concurrency();
    threads = std::max(threads, 1u);
    uint64_t compressed_input = 0;
    std::vector<uint64_t> file_done(files.size(), 0);

    // Blocks go through in batches of one per thread: read in order (which also carries
    // each file's CRC along), compressed in parallel, written in order.
    for (size_t first = 0; first < specs.size(); first += threads) {
        size_t count = std::min<size_t>(threads, specs.size() - first);
        std::vector<std::vector<uint8_t>> data(count), packed(count);
        for (size_t k = 0; k < count; ++k) {
            const BlockSpec& spec = specs[first + k];
            data[k].resize(spec.size);
            uint64_t pos = 0;
            for (auto [index, length] : spec.runs) {
                InputFile& f = files[index];
                if (file_done[index] == 0) sink.line("Adding " + shown_name(f.item.name));
                open_file(f.item.native_path)
                    ->read_at(file_done[index], data[k].data() + pos, static_cast<size_t>(length));
                f.crc = crc32_update(f.crc, data[k].data() + pos, static_cast<size_t>(length));
                file_done[index] += length;
                pos += length;
            }
        }
        std::vector<std::exception_ptr> errors(count);
        std::vector<std::thread> pool;
        for (size_t k = 0; k < count; ++k) {
            pool.emplace_back([&, k] {
                try {
                    const BlockSpec& spec = specs[first + k];
                    packed[k] = compress(data[k].data(), data[k].size(), spec.filter,
                                         dict_size_for(spec.size, options.level), options.level);
                    std::vector<uint8_t>().swap(data[k]);
                } catch (...) {
                    errors[k] = std::current_exception();
                }
            });
        }
        for (std::thread& t : pool) t.join();
        for (auto& e : errors)
            if (e) std::rethrow_exception(e);
        for (size_t k = 0; k < count; ++k) {
            const BlockSpec& spec = specs[first + k];
            out->write(packed[k].data(), packed[k].size());
            table.blocks.push_back(Block{offset, packed[k].size(), spec.size, spec.filter,
                                         dict_size_for(spec.size, options.level)});
            offset += packed[k].size();
            compressed_input += spec.size;
            sink.line(total_line(percent_of(compressed_input, total_bytes)));
        }
    }

    PackResult result;
    for (const FoundItem& f : folders) {
        table.entries.push_back(Entry{EntryKind::folder, f.meta.attributes & kKeptAttributes,
                                      f.meta.mtime, 0, 0, f.name});
        ++result.folders;
    }
    for (const InputFile& f : files) {
        table.entries.push_back(Entry{EntryKind::file, f.item.meta.attributes & kKeptAttributes,
                                      f.item.meta.mtime, f.item.size, f.crc, f.item.name});
        ++result.files;
        result.bytes += f.item.size;
    }

    std::vector<uint8_t> raw = encode_table(table);
    if (raw.size() > kMaxTableSize) throw Error("too many files for one archive");
    std::vector<uint8_t> packed_table =
        compress(raw.data(), raw.size(), Filter::lzma2, kTableDictSize, Level{6, false});
    out->write(packed_table.data(), packed_table.size());
    Header header{offset, static_cast<uint32_t>(packed_table.size()),
                  static_cast<uint32_t>(raw.size()), crc32_update(0, raw.data(), raw.size())};
    auto head = encode_header(header);
    out->write_at(0, head.data(), head.size());
    out->commit();
    result.packed = offset + packed_table.size();
    return result;
}

}  // namespace uha
