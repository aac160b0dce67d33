#pragma once
// Packs and extracts through the archiver's library with the real file system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_tree.h"
#include "uha/src/archive.h"
#include "uha/src/extract.h"
#include "uha/src/fs.h"
#include "uha/src/output.h"
#include "uha/src/pack.h"

struct CapturedLines : uha::LineSink {
    std::vector<std::string> lines;
    void line(const std::string& text) override { lines.push_back(text); }
    bool contains(const std::string& part) const {
        for (const auto& l : lines)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
};

class UhaTest : public ::testing::Test {
  protected:
    testing_support::TempDir tmp;
    CapturedLines out;

    std::string native(const std::string& utf8_rel) const {
        return testing_support::native(tmp / utf8_rel);
    }

    // Packs the contents of the folder `source`.
    uha::PackResult pack(const std::string& archive, const std::string& source,
                         uha::PackOptions options = {}) {
        options.level = uha::Level{1, false};  // speed over size in tests
        return uha::pack(native(archive), {uha::PackInput(native(source), ".")}, options, out);
    }

    uha::ExtractResult extract(const std::string& archive, const std::string& target,
                               uha::ExtractOptions options = {}) {
        auto source = uha::open_file(native(archive));
        uha::Archive a = uha::read_archive(*source, archive);
        auto dest = uha::open_destination(native(target));
        return uha::extract(a, *source, dest.get(), options, out);
    }
};
