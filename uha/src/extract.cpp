#include "uha/src/extract.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "uha/src/codec.h"
#include "uha/src/crc32.h"
#include "uha/src/error.h"
#include "uha/src/names.h"
#include "uha/src/workers.h"

namespace uha {

namespace {

constexpr size_t kInputChunk = 1u << 20;
constexpr size_t kOutputChunk = 1u << 20;

// State of one file while its pieces are decoded, possibly by several threads.
struct FileJob {
    const Entry* entry = nullptr;
    bool write = false;  // false: skipped (kept existing file) or testing
    std::unique_ptr<OutputFile> out;
    std::vector<uint32_t> piece_crcs;  // by piece order within the file, for combining
    std::vector<uint64_t> piece_lengths;
    std::atomic<uint32_t> pieces_left{0};
    std::atomic<bool> announced{false};
    std::mutex open_mutex;
};

class Extraction {
  public:
    Extraction(const Archive& a, ByteSource& src, Destination* dest, const ExtractOptions& opt,
               LineSink& sink)
        : a_(a),
          src_(src),
          dest_(dest),
          opt_(opt),
          progress_(sink, dest ? "Extracting" : "Testing", a.file_bytes, a.file_count) {}

    ExtractResult run() {
        plan_ = plan_stream(a_.table);
        jobs_ = std::make_unique<FileJob[]>(a_.table.entries.size());
        prepare();
        decode_blocks();
        if (dest_) set_folder_times();
        result_.files = a_.file_count - result_.skipped;
        result_.folders = a_.folder_count;
        result_.bytes = result_bytes_;
        return result_;
    }

  private:
    // Decides what to write, checks that it fits, makes the folders, writes the empty files,
    // and opens the files whose data spans several blocks (their pieces are written by
    // different threads).
    void prepare() {
        const auto& entries = a_.table.entries;
        std::set<std::string> folders;
        uint64_t written = 0;   // bytes of the files that will be written
        uint64_t replaced = 0;  // bytes of the existing files they replace
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            FileJob& job = jobs_[i];
            job.entry = &e;
            job.pieces_left = plan_.spans[i];
            job.piece_crcs.resize(plan_.spans[i]);
            job.piece_lengths.resize(plan_.spans[i]);
            if (!dest_) continue;
            const Occupant occupant = dest_->existing(e.name);
            const Existing there = occupant.kind;
            if (e.kind == EntryKind::folder) {
                if (there != Existing::none && there != Existing::folder)
                    throw Error("cannot create folder " + e.name + ": a file stands there");
                folders.insert(e.name);
                continue;
            }
            if (there == Existing::folder || there == Existing::other)
                throw Error("cannot create " + e.name + ": a folder or special file stands there");
            if (there == Existing::file && !opt_.overwrite) {
                progress_.note("Skipping " + shown_name(e.name) + ": it exists");
                ++result_.skipped;
            } else {
                job.write = true;
                written += e.size;
                if (there == Existing::file) replaced += occupant.size;
            }
            size_t slash = e.name.rfind('/');
            if (slash != std::string::npos) folders.insert(e.name.substr(0, slash));
        }
        if (dest_) {
            check_space(written, replaced);
            for (const std::string& folder : folders) dest_->make_folder(folder);
        }

        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            FileJob& job = jobs_[i];
            if (e.kind != EntryKind::file) continue;
            if (e.size == 0) {
                announce(job);
                if (e.crc != 0) throw FormatError(a_.display_name + ": " + e.name + " is damaged");
                if (job.write) {
                    dest_->create_file(e.name)->commit({e.attributes, e.mtime}, opt_.overwrite);
                }
                progress_.file_done();
            } else if (job.write && plan_.spans[i] > 1) {
                job.out = dest_->create_file(e.name);
            }
        }
    }

    // Refuses before anything is written when the volume cannot take the files, rather than
    // filling it and failing halfway. A replaced file counts as freeing its size, which it
    // does once its new version has taken its name.
    void check_space(uint64_t written, uint64_t replaced) {
        if (written <= replaced) return;
        const uint64_t needed = written - replaced;
        const std::optional<uint64_t> available = dest_->free_space();
        if (available && *available < needed) throw NoSpaceError(needed, *available);
    }

    void announce(FileJob& job) {
        if (!job.announced.exchange(true)) progress_.file_started(shown_name(job.entry->name));
    }

    void decode_blocks() {
        // The first block first, since the others may take their preset dictionary from it;
        // then the largest packed ones (decoding time follows the packed size), so the
        // threads finish at about the same time.
        order_.resize(plan_.blocks.size());
        for (size_t i = 0; i < order_.size(); ++i) order_[i] = i;
        std::stable_sort(order_.begin(), order_.end(), [&](size_t x, size_t y) {
            if (x == 0 || y == 0) return x == 0 && y != 0;
            return a_.table.blocks[x].packed_size > a_.table.blocks[y].packed_size;
        });
        for (const Block& b : a_.table.blocks)
            preset_need_ = std::max<size_t>(preset_need_, b.preset_size);
        preset_.reserve(preset_need_);
        preset_ready_ = preset_need_ == 0;
        uint32_t largest_dict = 0;
        for (const Block& b : a_.table.blocks) largest_dict = std::max(largest_dict, b.dict_size);
        const unsigned threads = decoding_threads(opt_.threads, std::thread::hardware_concurrency(),
                                                  order_.size(), largest_dict);
        run_workers(
            threads, [this](size_t) { worker(); }, [this] { stop(); });
    }

    void worker() {
        std::vector<uint8_t> in(kInputChunk), out(kOutputChunk);
        for (size_t next; (next = next_block_++) < order_.size() && !stop_;)
            decode_block(plan_.blocks[order_[next]], in, out);
    }

    // Tells every worker to stop after its current block, and wakes those awaiting the preset.
    void stop() {
        std::lock_guard lock(preset_mutex_);
        stop_ = true;
        preset_cv_.notify_all();
    }

    // Waits until the first block has produced the preset bytes; false when stopping.
    bool wait_for_preset() {
        std::unique_lock lock(preset_mutex_);
        preset_cv_.wait(lock, [this] { return preset_ready_ || stop_; });
        return !stop_;
    }

    // Keeps the first block's leading output as the other blocks' preset dictionary.
    void keep_preset(const uint8_t* data, size_t n) {
        size_t take = std::min(n, preset_need_ - preset_.size());
        preset_.insert(preset_.end(), data, data + take);
        if (preset_.size() == preset_need_) {
            std::lock_guard lock(preset_mutex_);
            preset_ready_ = true;
            preset_cv_.notify_all();
        }
    }

    void decode_block(const BlockPlan& bp, std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
        const Block& block = a_.table.blocks[bp.block];
        const std::string what = a_.display_name + ": block " + std::to_string(bp.block + 1);
        Coding coding{block.filter, block.dict_size};
        if (block.preset_size > 0) {
            if (!wait_for_preset()) return;
            coding.preset = preset_.data();
            coding.preset_size = block.preset_size;
        }
        BlockDecoder decoder(coding, what);
        uint64_t packed_read = 0;
        const uint8_t* in_ptr = in.data();
        size_t in_left = 0;
        size_t piece = 0;         // current piece
        uint64_t piece_done = 0;  // its bytes handled so far
        uint32_t crc = 0;
        bool ended = false;
        uint64_t produced = 0;

        while (!ended) {
            if (stop_) return;
            if (in_left == 0 && packed_read < block.packed_size) {
                size_t n = static_cast<size_t>(
                    std::min<uint64_t>(in.size(), block.packed_size - packed_read));
                src_.read_at(block.offset + packed_read, in.data(), n);
                packed_read += n;
                in_ptr = in.data();
                in_left = n;
            }
            bool input_done = packed_read == block.packed_size;
            size_t n = decoder.decode(in_ptr, in_left, out.data(), out.size(), input_done, ended);
            if (n == 0 && !ended && input_done && in_left == 0)
                throw FormatError(what + " is damaged (truncated)");
            if (n > block.size - produced) throw FormatError(what + " is damaged (too long)");
            produced += n;
            if (bp.block == 0 && preset_.size() < preset_need_) keep_preset(out.data(), n);
            // Hand the output to the pieces it belongs to.
            const uint8_t* p = out.data();
            while (n > 0) {
                const Piece& pc = bp.pieces[piece];
                FileJob& job = jobs_[pc.entry];
                if (piece_done == 0) {
                    announce(job);
                    crc = 0;
                    if (job.write && !job.out) job.out = dest_->create_file(job.entry->name);
                }
                size_t take = static_cast<size_t>(std::min<uint64_t>(n, pc.length - piece_done));
                crc = crc32_update(crc, p, take);
                if (job.write) job.out->write_at(pc.file_offset + piece_done, p, take);
                progress_.add_bytes(take);
                p += take;
                n -= take;
                piece_done += take;
                if (piece_done == pc.length) {
                    finish_piece(pc, crc);
                    ++piece;
                    piece_done = 0;
                }
            }
        }
        if (produced != block.size || in_left != 0 || packed_read != block.packed_size)
            throw FormatError(what + " is damaged (size)");
    }

    void finish_piece(const Piece& pc, uint32_t crc) {
        FileJob& job = jobs_[pc.entry];
        job.piece_crcs[pc.rank] = crc;
        job.piece_lengths[pc.rank] = pc.length;
        if (--job.pieces_left != 0) return;
        // The last piece of this file: all of its CRCs are in.
        uint32_t whole = job.piece_crcs[0];
        for (size_t k = 1; k < job.piece_crcs.size(); ++k)
            whole = crc32_combine(whole, job.piece_crcs[k], job.piece_lengths[k]);
        if (whole != job.entry->crc)
            throw FormatError(a_.display_name + ": " + job.entry->name +
                              " is damaged (CRC mismatch)");
        if (job.write) {
            job.out->commit({job.entry->attributes, job.entry->mtime}, opt_.overwrite);
            job.out.reset();
        }
        if (job.write || !dest_) result_bytes_ += job.entry->size;
        progress_.file_done();
    }

    void set_folder_times() {
        // Writing files changes their folders' times, so folders come last, deepest first.
        std::vector<const Entry*> folders;
        for (const Entry& e : a_.table.entries)
            if (e.kind == EntryKind::folder) folders.push_back(&e);
        std::sort(folders.begin(), folders.end(),
                  [](const Entry* x, const Entry* y) { return x->name > y->name; });
        for (const Entry* e : folders) dest_->set_folder_meta(e->name, {e->attributes, e->mtime});
    }

    const Archive& a_;
    ByteSource& src_;
    Destination* dest_;
    ExtractOptions opt_;
    Progress progress_;
    StreamPlan plan_;
    std::unique_ptr<FileJob[]> jobs_;
    std::vector<size_t> order_;
    std::atomic<size_t> next_block_{0};
    std::atomic<bool> stop_{false};
    ExtractResult result_;
    std::atomic<uint64_t> result_bytes_{0};
    std::vector<uint8_t> preset_;
    size_t preset_need_ = 0;
    bool preset_ready_ = false;
    std::mutex preset_mutex_;
    std::condition_variable preset_cv_;
};

}  // namespace

unsigned decoding_threads(unsigned asked, unsigned processors, size_t blocks, uint32_t largest_dict,
                          uint64_t budget) {
    const uint64_t per_thread = uint64_t{largest_dict} + kInputChunk + kOutputChunk;
    const uint64_t fits = std::max<uint64_t>(budget / per_thread, 1);
    const uint64_t wanted = asked ? asked : std::max(processors, 1u);
    return static_cast<unsigned>(
        std::max<uint64_t>(std::min({wanted, uint64_t{std::max<size_t>(blocks, 1)}, fits}), 1));
}

ExtractResult extract(const Archive& archive, ByteSource& source, Destination* dest,
                      const ExtractOptions& options, LineSink& sink) {
    return Extraction(archive, source, dest, options, sink).run();
}

}  // namespace uha
