#include "mksetup/signing.h"

#include <stdexcept>

#include "mksetup/host_files.h"
#include "mksetup/messages.h"

namespace mksetup {

namespace {

void replace_all(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

}  // namespace

Signer::Signer(std::string command, std::string folder, std::string tag, std::FILE* err, bool quiet)
    : command_(std::move(command)),
      folder_(std::move(folder)),
      tag_(std::move(tag)),
      err_(err),
      quiet_(quiet) {}

std::string Signer::expand(const std::string& command, const std::string& in,
                           const std::string& out) {
    std::string line = command;
    replace_all(line, "{in}", shell_quote(in));
    replace_all(line, "{out}", shell_quote(out));
    return line;
}

std::vector<uint8_t> Signer::sign_bytes(const std::vector<uint8_t>& program,
                                        const std::string& name) {
    TemporaryFile in(join_path(folder_, name + tag_ + ".unsigned"));
    TemporaryFile out(join_path(folder_, name + tag_ + ".signed"));
    write_file(in.path(), program);
    remove_file_quietly(out.path());
    const std::string line = expand(command_, in.path(), out.path());
    if (!quiet_) print_line(err_, "signing " + name);
    const int status = run_shell_command(line);
    if (status != 0)
        throw std::runtime_error("the signing command failed on " + name + " (exit status " +
                                 std::to_string(status) + "): " + line);
    if (!is_file(out.path()))
        throw std::runtime_error("the signing command wrote no signed file for " + name + ": " +
                                 line);
    return read_file(out.path());
}

}  // namespace mksetup
