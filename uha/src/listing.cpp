#include "uha/src/listing.h"

#include <cmath>
#include <string>

#include "uha/src/fs.h"

namespace uha {

namespace {

// `text` right-aligned in `width` columns.
std::string right(std::string text, size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// A share of at least 0 with one decimal, rounded as printf's "%.1f" rounds (a tie to the
// even tenth). Not printf: its implementation is a tenth of the extractor.
std::string one_decimal(double value) {
    const double tenths = value * 10;
    double whole = std::floor(tenths);
    const double rest = tenths - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2) != 0)) whole += 1;
    const auto n = static_cast<unsigned long long>(whole);
    return std::to_string(n / 10) + "." + std::to_string(n % 10);
}

}  // namespace

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
    for (size_t i = 0; i < a.table.entries.size(); ++i) {
        const Entry& e = a.table.entries[i];
        if (e.kind == EntryKind::folder) {
            sink.line("           -       -  " + shown_name(e.name + "/"));
            continue;
        }
        double share = archive_size ? 100.0 * packed[i] / static_cast<double>(archive_size) : 0.0;
        sink.line(right(std::to_string(e.size), 12) + "  " + right(one_decimal(share), 5) + "%  " +
                  shown_name(e.name));
    }
    double ratio =
        a.file_bytes ? 100.0 * static_cast<double>(archive_size) / static_cast<double>(a.file_bytes)
                     : 0.0;
    sink.line(std::to_string(a.file_count) + " files, " + std::to_string(a.folder_count) +
              " folders, " + std::to_string(a.file_bytes) + " bytes, packed to " +
              std::to_string(archive_size) + " bytes (" + one_decimal(ratio) + "%)");
}

}  // namespace uha
