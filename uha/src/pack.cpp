#include "uha/src/pack.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "uha/src/crc32.h"
#include "uha/src/error.h"
#include "uha/src/format.h"
#include "uha/src/fs.h"
#include "uha/src/names.h"
#include "uha/src/workers.h"

namespace uha {

namespace {

constexpr size_t kSniffSize = 4096;

// Passes byte counts on to the caller's progress callback, one call at a time.
class ProgressCounter {
  public:
    ProgressCounter(const std::function<void(const PackProgress&)>& callback,
                    PackProgress::Stage stage, uint64_t total)
        : callback_(callback), stage_(stage), total_(total) {}
    void add(uint64_t n) {
        if (!callback_) return;
        std::lock_guard<std::mutex> lock(mutex_);
        done_ += n;
        callback_(PackProgress{stage_, done_, total_});
    }

  private:
    const std::function<void(const PackProgress&)>& callback_;
    PackProgress::Stage stage_;
    uint64_t total_, done_ = 0;
    std::mutex mutex_;
};

struct InputFile {
    FoundItem item;
    bool program = false;
    std::string extension;
    uint32_t crc = 0;
};

struct Run {
    size_t file;
    uint64_t length;
};

struct PlannedBlock {
    std::vector<Run> runs;  // in stream order
    uint64_t size = 0;
    Coding coding;
    // Nearly all of it looked packed already: it is coded with the fastest settings (and the
    // level's dictionary), since slower ones find no more in such data.
    bool packed_data = false;
};

// The share of a block's bytes that must look packed for it to be coded as packed data.
constexpr double kPackedShare = 0.95;

uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Decoding time grows with the packed bytes and a little with the unpacked ones.
constexpr double kUnpackedCost = 0.03;
constexpr size_t kEstimateChunk = 1u << 20;

// The codings a block may get: with or without the x86 filter. LZMA's position bits are 0,
// not its usual 2: programs and text, what installers carry, pack about 1% smaller so (the
// fast passes cannot tell, their matches are too short to show it).
constexpr uint32_t kPositionBits = 0;
constexpr std::array<Filter, 2> kCandidates = {Filter::lzma2, Filter::x86_lzma2};

// How each candidate coding packs the stream: the packed bytes reached after each chunk; and
// how many bytes up to there looked packed already.
struct Estimate {
    std::vector<uint64_t> offsets;
    std::array<std::vector<uint64_t>, kCandidates.size()> packed;
    std::vector<uint64_t> stored;

    // Packed bytes of candidate c up to `offset`, interpolated between chunks.
    double at(size_t c, uint64_t offset) const { return interpolated(packed[c], offset); }
    double stored_at(uint64_t offset) const { return interpolated(stored, offset); }

  private:
    double interpolated(const std::vector<uint64_t>& values, uint64_t offset) const {
        size_t i = static_cast<size_t>(std::lower_bound(offsets.begin(), offsets.end(), offset) -
                                       offsets.begin());
        if (i >= offsets.size()) return static_cast<double>(values.back());
        uint64_t from = i ? offsets[i - 1] : 0;
        double base = i ? static_cast<double>(values[i - 1]) : 0.0;
        double step = static_cast<double>(values[i]) - base;
        return base +
               step * static_cast<double>(offset - from) / static_cast<double>(offsets[i] - from);
    }
};

// Whether a chunk looks packed already (compressed media, archives, encrypted data): its bytes
// are spread so evenly over the 256 values that LZMA cannot make it smaller, and LZMA is at its
// slowest on such data. The fast passes count such a chunk as stored instead of coding it; the
// real pass still codes it, so repeats of it further on are still found. The test is the
// chi-square statistic of the byte counts, at most 7n/256 for n bytes (about 7.98 bits a
// byte), in integers so that every builder decides alike; random data stays near 255, far
// below it from 64 KiB on, and smaller chunks are never judged.
bool looks_packed(const uint8_t* data, size_t n) {
    if (n < (64u << 10)) return false;
    std::array<uint64_t, 256> counts{};
    for (size_t i = 0; i < n; ++i) ++counts[data[i]];
    // 256 times the sum of (count - n/256) squared; below 2^57 for n up to 1 MiB.
    uint64_t spread = 0;
    for (uint64_t count : counts) {
        const int64_t off = static_cast<int64_t>(256 * count) - static_cast<int64_t>(n);
        spread += static_cast<uint64_t>(off * off);
    }
    return spread <= 7 * static_cast<uint64_t>(n) * n;
}

// The bytes the fast passes read: every byte once, and the programs' once more (the x86
// filter is tried on programs only).
uint64_t planning_bytes(const std::vector<InputFile>& files) {
    uint64_t bytes = 0;
    for (const InputFile& f : files) bytes += f.item.size * (f.program ? 2 : 1);
    return bytes;
}

// A fast pass per candidate, on as many threads as there are candidates or processors.
// The passes see what a slow one will: whether the x86 filter's absolute addresses break the
// long-distance repeats between near-identical programs, which samples cannot show. The x86
// filter is tried on the programs only (which the stream puts first): elsewhere it would only
// cost, and it counts as packing as the plain coding does.
Estimate estimate_stream(const std::vector<InputFile>& files, uint64_t total, unsigned threads,
                         ProgressCounter& progress) {
    Estimate est;
    for (uint64_t offset = 0; const InputFile& f : files)
        for (uint64_t done = 0; done < f.item.size;) {
            uint64_t n = std::min<uint64_t>(kEstimateChunk, f.item.size - done);
            done += n;
            offset += n;
            est.offsets.push_back(offset);
        }
    constexpr uint64_t kNotRun = UINT64_MAX;
    for (auto& packed : est.packed) packed.assign(est.offsets.size(), kNotRun);
    est.stored.assign(est.offsets.size(), 0);
    auto run = [&](size_t c) {
        const bool programs_only = kCandidates[c] == Filter::x86_lzma2;
        SizeEstimator estimator(total, kCandidates[c], kPositionBits);
        std::vector<uint8_t> buffer(kEstimateChunk);
        uint64_t stored = 0;  // the bytes of the chunks that looked packed
        size_t chunk = 0;
        for (const InputFile& f : files) {
            if (f.item.size == 0) continue;
            if (programs_only && !f.program) {
                chunk += static_cast<size_t>((f.item.size + kEstimateChunk - 1) / kEstimateChunk);
                continue;
            }
            auto source = open_file(f.item.native_path);
            for (uint64_t done = 0; done < f.item.size;) {
                size_t n =
                    static_cast<size_t>(std::min<uint64_t>(buffer.size(), f.item.size - done));
                source->read_at(done, buffer.data(), n);
                if (looks_packed(buffer.data(), n))
                    stored += n;
                else
                    estimator.feed(buffer.data(), n);
                done += n;
                progress.add(n);
                if (c == 0) est.stored[chunk] = stored;
                est.packed[c][chunk++] = estimator.packed_so_far() + stored;
            }
        }
    };
    const bool any_program =
        std::any_of(files.begin(), files.end(), [](const InputFile& f) { return f.program; });
    const size_t passes = any_program ? kCandidates.size() : 1;
    for (size_t first = 0; first < passes; first += threads)
        run_workers(std::min<size_t>(threads, passes - first), [&](size_t k) { run(first + k); });
    // Where a candidate did not run, it packs as the plain coding.
    for (size_t c = 1; c < kCandidates.size(); ++c)
        for (size_t i = 0; i < est.offsets.size(); ++i)
            if (est.packed[c][i] == kNotRun)
                est.packed[c][i] = (i ? est.packed[c][i - 1] : 0) + est.packed[0][i] -
                                   (i ? est.packed[0][i - 1] : 0);
    return est;
}

std::vector<PlannedBlock> plan_blocks(const std::vector<InputFile>& files, uint64_t max_block,
                                      unsigned threads, ProgressCounter& progress) {
    uint64_t total = 0;
    std::vector<Cut> boundaries;
    std::string previous;
    for (const InputFile& f : files) {
        if (f.item.size == 0) continue;
        std::string family = family_of(f.item.name);
        if (total > 0) boundaries.push_back({total, family != previous});
        previous = std::move(family);
        total += f.item.size;
    }
    if (total == 0) return {};
    const Estimate est = estimate_stream(files, total, threads, progress);
    const uint64_t count = block_count(total, max_block);
    std::vector<uint64_t> cuts;
    if (count > 1) {
        std::vector<CostPoint> curve;
        for (size_t i = 0; i < est.offsets.size(); ++i)
            curve.push_back(
                {est.offsets[i], static_cast<double>(est.packed[0][i]) +
                                     kUnpackedCost * static_cast<double>(est.offsets[i])});
        cuts = snap_cuts(balanced_splits(curve, count, std::min(kPresetSize, total)),
                         total / count / 16, boundaries);
    }
    cuts.push_back(total);

    std::vector<PlannedBlock> blocks(1);
    uint64_t pos = 0;
    size_t next_cut = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        uint64_t left = files[i].item.size;
        while (left > 0) {
            uint64_t take = std::min(left, cuts[next_cut] - pos);
            blocks.back().runs.push_back({i, take});
            blocks.back().size += take;
            pos += take;
            left -= take;
            if (pos == cuts[next_cut] && pos < total) {
                ++next_cut;
                blocks.emplace_back();
            }
        }
    }
    // Each block takes the candidate coding that packed its range smallest.
    uint64_t start = 0;
    for (PlannedBlock& b : blocks) {
        b.packed_data = est.stored_at(start + b.size) - est.stored_at(start) >=
                        kPackedShare * static_cast<double>(b.size);
        double best = 0.0;
        for (size_t c = 0; c < kCandidates.size(); ++c) {
            double packed = est.at(c, start + b.size) - est.at(c, start);
            if (c == 0 || packed < best) {
                best = packed;
                b.coding.filter = kCandidates[c];
                b.coding.pb = kPositionBits;
            }
        }
        start += b.size;
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

std::string family_of(const std::string& name) {
    size_t leaf = name.rfind('/') + 1;
    size_t dot = name.rfind('.');
    std::string stem = name.substr(0, dot != std::string::npos && dot > leaf ? dot : name.size());
    while (stem.size() > leaf &&
           std::string_view("0123456789_-. ").find(stem.back()) != std::string_view::npos)
        stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
    return stem;
}

uint64_t block_count(uint64_t total, uint64_t max_block) {
    const uint64_t need = (total + max_block - 1) / std::max<uint64_t>(max_block, 1);
    if (need <= 1 && total < kMinSplitSize) return 1;
    uint64_t count = 2;
    while (count < need) count *= 2;
    return count;
}

std::vector<uint64_t> balanced_splits(const std::vector<CostPoint>& curve, uint64_t count,
                                      uint64_t head) {
    std::vector<uint64_t> splits;
    if (curve.empty()) return splits;
    // The cost of the point at `offset`, interpolated.
    auto offset_at = [&](double target) {
        CostPoint before{0, 0.0};
        size_t i = 0;
        while (i < curve.size() && curve[i].cost < target) before = curve[i++];
        const CostPoint& after = i < curve.size() ? curve[i] : curve.back();
        double share =
            after.cost > before.cost ? (target - before.cost) / (after.cost - before.cost) : 0.0;
        return before.offset +
               static_cast<uint64_t>(share * static_cast<double>(after.offset - before.offset));
    };
    double head_cost = 0.0;
    for (const CostPoint& p : curve)
        if (p.offset <= head) head_cost = p.cost;
    // The blocks after the first wait for the first to decode the head before they start,
    // so the first block is given that much more work.
    const double whole = curve.back().cost + head_cost;
    for (uint64_t k = 1; k < count; ++k) {
        double target = whole * static_cast<double>(k) / static_cast<double>(count);
        if (target < curve.back().cost) splits.push_back(offset_at(target));
    }
    return splits;
}

std::vector<uint64_t> snap_cuts(const std::vector<uint64_t>& splits, uint64_t reach,
                                const std::vector<Cut>& boundaries) {
    std::vector<uint64_t> cuts;
    uint64_t last = 0;
    for (uint64_t ideal : splits) {
        uint64_t best = ideal;
        uint64_t best_distance = UINT64_MAX;
        bool best_family = false;
        for (const Cut& b : boundaries) {
            if (b.offset <= last) continue;
            uint64_t distance = b.offset > ideal ? b.offset - ideal : ideal - b.offset;
            if (distance > reach) continue;
            // A family change beats any plain boundary; among equals the nearer wins.
            if ((b.family_change && !best_family) ||
                (b.family_change == best_family && distance < best_distance)) {
                best = b.offset;
                best_distance = distance;
                best_family = b.family_change;
            }
        }
        if (best <= last) continue;  // two splits fell together: one block fewer
        cuts.push_back(best);
        last = best;
    }
    return cuts;
}

namespace {

// What the inputs hold: the folders by name; the files in stream order, programs first, then
// by extension and name, so that alike contents lie together.
struct Inputs {
    std::vector<FoundItem> folders;
    std::vector<InputFile> files;
};

Inputs gather_inputs(const std::vector<PackInput>& inputs, LineSink& sink) {
    std::vector<FoundItem> found =
        scan_inputs(inputs, [&](const std::string& text) { sink.line(text); });

    std::unordered_set<std::string> names;
    Inputs in;
    for (FoundItem& item : found) {
        if (!names.insert(fold_name(item.name)).second)
            throw Error("cannot store " + item.name +
                        " twice (names differ only in case, or "
                        "two inputs hold the same name)");
        if (item.folder) {
            in.folders.push_back(std::move(item));
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
        in.files.push_back(std::move(f));
    }
    std::sort(in.folders.begin(), in.folders.end(),
              [](const FoundItem& x, const FoundItem& y) { return x.name < y.name; });
    std::stable_sort(in.files.begin(), in.files.end(), [](const InputFile& x, const InputFile& y) {
        if (x.program != y.program) return x.program;
        if (x.extension != y.extension) return x.extension < y.extension;
        return x.item.name < y.item.name;
    });
    return in;
}

// Codes the planned blocks into the archive after its header's place, in batches of one block
// per thread: read in order (which also carries each file's CRC along), compressed in
// parallel, written in order. The blocks after the first take the stream's head as their
// preset dictionary.
class BlockCoder {
  public:
    BlockCoder(std::vector<InputFile>& files, const std::vector<PlannedBlock>& planned,
               const PackOptions& options, uint64_t total_bytes, LineSink& sink)
        : files_(files),
          planned_(planned),
          options_(options),
          total_bytes_(total_bytes),
          sink_(sink),
          coding_(options.on_progress, PackProgress::Stage::coding, total_bytes),
          preset_size_(planned.size() > 1 ? std::min(kPresetSize, planned[0].size) : 0),
          file_done_(files.size(), 0) {}

    // Appends every block to `out` from `offset` on and to table.blocks; returns the offset
    // after the last one.
    uint64_t code_all(ArchiveSink& out, uint64_t offset, Table& table, unsigned threads) {
        for (size_t first = 0; first < planned_.size(); first += threads) {
            Batch batch(first, std::min<size_t>(threads, planned_.size() - first));
            read(batch);
            run_workers(batch.data.size(), [&](size_t k) { compress_one(batch, k); });
            offset = write(batch, out, offset, table);
        }
        return offset;
    }

  private:
    struct Batch {
        Batch(size_t first, size_t count)
            : first(first), data(count), packed(count), codings(count) {}
        size_t first;  // the index of its first block in the plan
        std::vector<std::vector<uint8_t>> data, packed;
        std::vector<Coding> codings;
    };

    void read(Batch& batch) {
        for (size_t k = 0; k < batch.data.size(); ++k) {
            const PlannedBlock& block = planned_[batch.first + k];
            std::vector<uint8_t>& data = batch.data[k];
            data.resize(block.size);
            uint64_t pos = 0;
            for (auto [index, length] : block.runs) {
                InputFile& f = files_[index];
                if (file_done_[index] == 0) sink_.line("Adding " + shown_name(f.item.name));
                open_file(f.item.native_path)
                    ->read_at(file_done_[index], data.data() + pos, static_cast<size_t>(length));
                f.crc = crc32_update(f.crc, data.data() + pos, static_cast<size_t>(length));
                file_done_[index] += length;
                pos += length;
            }
            if (batch.first + k == 0) preset_.assign(data.begin(), data.begin() + preset_size_);
        }
    }

    // On a worker thread: touches only the batch's slot k and the shared read-only state.
    void compress_one(Batch& batch, size_t k) {
        const bool with_preset = batch.first + k > 0 && preset_size_ > 0;
        std::vector<uint8_t>& data = batch.data[k];
        Coding c = planned_[batch.first + k].coding;
        c.dict_size = dict_size_for(data.size() + (with_preset ? preset_size_ : 0), options_.level);
        if (with_preset) {
            c.preset = preset_.data();
            c.preset_size = preset_.size();
        }
        std::function<void(size_t)> consumed;
        if (options_.on_progress) consumed = [&](size_t n) { coding_.add(n); };
        const PlannedBlock& block = planned_[batch.first + k];
        const Level level = block.packed_data ? Level{0, false} : options_.level;
        try {
            batch.packed[k] = compress(data.data(), data.size(), c, level, consumed);
        } catch (const std::exception& e) {
            // bad_alloc too: a large block at a high level needs hundreds of megabytes.
            throw Error("cannot pack block " + std::to_string(batch.first + k + 1) + " of " +
                        std::to_string(planned_.size()) + " (" + std::to_string(data.size()) +
                        " bytes, from " + shown_name(files_[block.runs.front().file].item.name) +
                        " on): " + e.what());
        }
        batch.codings[k] = c;
        std::vector<uint8_t>().swap(data);
    }

    uint64_t write(const Batch& batch, ArchiveSink& out, uint64_t offset, Table& table) {
        for (size_t k = 0; k < batch.packed.size(); ++k) {
            const PlannedBlock& block = planned_[batch.first + k];
            const std::vector<uint8_t>& packed = batch.packed[k];
            const Coding& c = batch.codings[k];
            out.write(packed.data(), packed.size());
            table.blocks.push_back(Block{offset, packed.size(), block.size, c.filter, c.dict_size,
                                         static_cast<uint32_t>(c.preset_size)});
            offset += packed.size();
            compressed_input_ += block.size;
            sink_.line(total_line(percent_of(compressed_input_, total_bytes_)));
        }
        return offset;
    }

    std::vector<InputFile>& files_;
    const std::vector<PlannedBlock>& planned_;
    const PackOptions& options_;
    const uint64_t total_bytes_;
    LineSink& sink_;
    ProgressCounter coding_;
    const uint64_t preset_size_;
    std::vector<uint64_t> file_done_;
    std::vector<uint8_t> preset_;  // the stream's head, kept for the blocks after the first
    uint64_t compressed_input_ = 0;
};

// The table's entries: the folders, then the files, with the attributes and times kept.
PackResult add_entries(const Inputs& in, const PackOptions& options, Table& table) {
    PackResult result;
    const uint32_t attributes = kKeptAttributes & options.attribute_mask;
    for (const FoundItem& f : in.folders) {
        table.entries.push_back(Entry{EntryKind::folder, f.meta.attributes & attributes,
                                      std::min(f.meta.mtime, options.latest_time), 0, 0, f.name});
        ++result.folders;
    }
    for (const InputFile& f : in.files) {
        table.entries.push_back(Entry{EntryKind::file, f.item.meta.attributes & attributes,
                                      std::min(f.item.meta.mtime, options.latest_time), f.item.size,
                                      f.crc, f.item.name});
        ++result.files;
        result.bytes += f.item.size;
    }
    return result;
}

// Writes the packed table at `offset` and the header that points at it, and commits the
// archive; returns the archive's size.
uint64_t finish_archive(ArchiveSink& out, const Table& table, uint64_t offset) {
    std::vector<uint8_t> raw = encode_table(table);
    if (raw.size() > kMaxTableSize) throw Error("too many files for one archive");
    std::vector<uint8_t> packed_table =
        compress(raw.data(), raw.size(), Coding{Filter::lzma2, kTableDictSize}, Level{6, false});
    out.write(packed_table.data(), packed_table.size());
    Header header{offset, static_cast<uint32_t>(packed_table.size()),
                  static_cast<uint32_t>(raw.size()), crc32_update(0, raw.data(), raw.size())};
    auto head = encode_header(header);
    out.write_at(0, head.data(), head.size());
    out.commit();
    return offset + packed_table.size();
}

}  // namespace

PackResult pack(const std::string& native_archive, const std::vector<PackInput>& inputs,
                const PackOptions& options, LineSink& sink) {
    Inputs in = gather_inputs(inputs, sink);

    unsigned threads = options.threads ? options.threads : std::thread::hardware_concurrency();
    threads = std::max(threads, 1u);
    uint64_t total_bytes = 0;
    for (const InputFile& f : in.files) total_bytes += f.item.size;
    ProgressCounter planning(options.on_progress, PackProgress::Stage::planning,
                             planning_bytes(in.files));
    const std::vector<PlannedBlock> planned =
        plan_blocks(in.files, options.max_block_size, threads, planning);
    BlockCoder coder(in.files, planned, options, total_bytes, sink);

    for (const InputFile& f : in.files)
        if (f.item.size == 0) sink.line("Adding " + shown_name(f.item.name));
    std::unique_ptr<ArchiveSink> out = create_archive(native_archive);
    std::array<uint8_t, kHeaderSize> placeholder{};
    out->write(placeholder.data(), placeholder.size());

    Table table;
    const uint64_t offset = coder.code_all(*out, kHeaderSize, table, threads);
    PackResult result = add_entries(in, options, table);
    result.packed = finish_archive(*out, table, offset);
    return result;
}

}  // namespace uha
