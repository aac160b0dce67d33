#pragma once
// Key lookups in INI text. IniText reproduces the lookups of Windows' private-profile reader
// over bytes in memory: Setup.exe reads its script with it from its resource, so that no file
// of the script exists that another process could swap, and the builder's checker reads
// scripts with it on any system. A test under Wine compares it with the system's reader.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace setup {

// The longest value a lookup returns: Windows' reader is given a buffer of 2048 characters,
// one of them the terminating NUL.
constexpr size_t kMaxIniValueLength = 2047;

// Looks up INI values the way Windows' private-profile reader does.
class IniReader {
  public:
    virtual ~IniReader() = default;
    // The value of `key` in `section` (both matched without regard to ASCII letter case): the
    // text after the first "=", with leading and trailing blanks removed, cut to its first
    // kMaxIniValueLength characters; default_value when the section or key is missing.
    virtual std::string read(std::string_view section, std::string_view key,
                             std::string_view default_value) const = 0;
};

// The reader over INI text (bytes in CP1250 or any other code page; lines end in CR LF or LF).
// It follows the private-profile conventions:
// - Blanks are spaces, tabs and carriage returns; they are removed around every line, around
//   key names and around values.
// - A line whose first character is ";" is a comment.
// - A line beginning with "[" opens the section named by the text up to its last "]", taken as
//   it stands (inner blanks included); a "[" line without "]" is ignored and the section before
//   it goes on.
// - Every other line is "key=value", split at its first "="; a line without "=" is ignored, as
//   is every line before the first section.
// - When a section name repeats, only the first section of that name is read: keys under the
//   later ones are never found. When a key repeats within a section, its first value wins.
// - A value enclosed in a matching pair of quotes (' or ", at least two characters in all) is
//   read without them; it is cut to kMaxIniValueLength after the quotes are removed.
// - Letter case is ignored for ASCII letters only; bytes above 0x7F are compared as they are.
class IniText : public IniReader {
  public:
    explicit IniText(std::string text);
    std::string read(std::string_view section, std::string_view key,
                     std::string_view default_value) const override;

  private:
    using Keys = std::map<std::string, std::string>;  // by key name in ASCII lower case
    std::map<std::string, Keys> sections_;            // by section name in ASCII lower case
};

}  // namespace setup
