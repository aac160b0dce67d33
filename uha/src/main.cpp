// uha: the archiver whose Windows build the installer carries and runs to unpack a product.
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "uha/src/archive.h"
#include "uha/src/cli.h"
#include "uha/src/error.h"
#include "uha/src/extract.h"
#include "uha/src/fs.h"
#include "uha/src/listing.h"
#include "uha/src/output.h"
#include "uha/src/pack.h"

namespace {

using namespace uha;

int run(const CommandLine& cl) {
    LineSink& out = console();
    if (cl.command == Command::help) {
        // Split by hand: a string stream would link the C++ locale machinery into the
        // program, a megabyte the installer carries.
        const std::string text = usage_text();
        for (std::string_view rest = text; !rest.empty();) {
            const size_t end = rest.find('\n');
            out.line(std::string(rest.substr(0, end)));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        return 0;
    }
    const std::string shown = native_to_utf8(cl.archive);
#ifdef UHA_EXTRACT_ONLY
    // The installer's copy: without the packer and its half of liblzma it is a third the size.
    if (cl.command == Command::add)
        throw UsageError(
            "this uha only extracts, lists and tests archives; the full uha creates them");
#else
    if (cl.command == Command::add) {
        PackOptions opt;
        opt.level = cl.level;
        if (cl.block_size) opt.max_block_size = cl.block_size;
        opt.threads = cl.threads;
        PackResult r = pack(cl.archive, cl.inputs, opt, out);
        out.line("Created " + shown + ": " + std::to_string(r.files) + " files, " +
                 std::to_string(r.folders) + " folders, " + std::to_string(r.bytes) +
                 " bytes packed to " + std::to_string(r.packed));
        return 0;
    }
#endif
    auto source = open_file(cl.archive);
    Archive archive = read_archive(*source, shown);
    if (cl.command == Command::list) {
        list_archive(archive, source->size(), out);
        return 0;
    }
    ExtractOptions opt;
    opt.overwrite = cl.overwrite;
    opt.threads = cl.threads;
    if (cl.command == Command::test) {
        ExtractResult r = extract(archive, *source, nullptr, opt, out);
        out.line("Tested " + std::to_string(r.files) + " files, " + std::to_string(r.bytes) +
                 " bytes: all OK");
        return 0;
    }
    auto dest = open_destination(cl.target);
    ExtractResult r = extract(archive, *source, dest.get(), opt, out);
    out.line("Done: " + std::to_string(r.files) + " files, " + std::to_string(r.folders) +
             " folders, " + std::to_string(r.bytes) + " bytes" +
             (r.skipped ? ", " + std::to_string(r.skipped) + " existing files kept" : ""));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    prepare_console();
    try {
        return run(parse_command_line(program_arguments(argc, argv)));
    } catch (const UsageError& e) {
        console().line(std::string("Error: ") + e.what() + " (uha -h shows the usage)");
        return 2;
    } catch (const NoSpaceError& e) {
        // The installer reads this line and the status; both stay as they are.
        console().line(std::string("uha: ") + e.what());
        return 3;
    } catch (const std::bad_alloc&) {
        console().line("Error: out of memory");
    } catch (const std::exception& e) {
        console().line(std::string("Error: ") + e.what());
    }
    return 1;
}
