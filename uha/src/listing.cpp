#include "listing.h"

#include <cstdio>

#include "fs.h"

namespace uha {

void list_archive(const Archive& a, uint64_t archive_size, LineSink& sink) {
    // In a solid stream a file has no packed size of its own: each run of it is charged its
    // block's ratio.
    StreamPlan plan = plan_stream(a.table);
    std::vector<double> packed(a.table.entries.size(), 0.0);
    for (const BlockPlan& bp : plan.blocks) {
        const Block& b = a.table.blocks[bp.block];
        double ratio = static_cast<double>(b.packed_size) / static_cast<double>(b.size);
        for (const Piece& pc : bp.pieces)
            packed[pc.entry] += ratio * static_cast<double>(pc.length);
    }
    sink.line("        Size   Share  Name");
    char buf[64];
    for (size_t i = 0; i < a.table.entries.size(); ++i) {
        const Entry& e = a.table.entries[i];
        if (e.kind == EntryKind::folder) {
            sink.line("           -       -  " + shown_name(e.name + "/"));
            continue;
        }
        double share = archive_size ? 100.0 * packed[i] / static_cast<double>(archive_size) : 0.0;
        std::snprintf(buf, sizeof buf, "%12llu  %5.1f%%  ", static_cast<unsigned long long>(e.size),
                      share);
        sink.line(buf + shown_name(e.name));
    }
    double ratio =
        a.file_bytes ? 100.0 * static_cast<double>(archive_size) / static_cast<double>(a.file_bytes)
                     : 0.0;
    std::snprintf(buf, sizeof buf, "%.1f%%", ratio);
    sink.line(std::to_string(a.file_count) + " files, " + std::to_string(a.folder_count) +
              " folders, " + std::to_string(a.file_bytes) + " bytes, packed to " +
              std::to_string(archive_size) + " bytes (" + buf + ")");
}

}  // namespace uha
