#pragma once
// The packager's script file as Setup.exe is to read it. Packagers write their scripts in
// UTF-8 (with or without a byte-order mark) or in code page 1250, with LF or CR LF line ends;
// Setup.exe reads CP1250 with CR LF and no byte-order mark.
#include <string>
#include <string_view>
#include <vector>

#include "script_check/diagnostic.h"

namespace setup {

enum class ScriptEncoding { utf8, cp1250 };

struct ScriptSource {
    // CP1250, every line ended by CR LF (the last one too), no byte-order mark. Each character
    // of the file is one byte here, so a byte's place in its line is the character's column.
    std::string cp1250_text;
    ScriptEncoding encoding = ScriptEncoding::utf8;
    // Errors: characters that code page 1250 lacks (each stands as "?" in cp1250_text), a
    // file in UTF-16, a file that starts with a UTF-8 byte-order mark but is not UTF-8.
    std::vector<Diagnostic> diagnostics;
};

// The file is UTF-8 when it starts with a UTF-8 byte-order mark, or when it holds bytes above
// 0x7F that together form valid UTF-8 (text in CP1250 almost never does); otherwise it is
// CP1250 and passes unchanged. A bare CR stays as it is.
ScriptSource decode_script(std::string_view file_bytes);

}  // namespace setup
