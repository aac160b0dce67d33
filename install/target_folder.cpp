#include "target_folder.h"

namespace setup {

std::string PolishUpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        unsigned char up = b;
        if (b >= 'a' && b <= 'z') {
            up = static_cast<unsigned char>(b - 'a' + 'A');
        } else {
            switch (b) {
                case 0xB9:
                    up = 0xA5;
                    break;  // ą
                case 0xE6:
                    up = 0xC6;
                    break;  // ć
                case 0xEA:
                    up = 0xCA;
                    break;  // ę
                case 0xB3:
                    up = 0xA3;
                    break;  // ł
                case 0xF1:
                    up = 0xD1;
                    break;  // ń
                case 0xF3:
                    up = 0xD3;
                    break;  // ó
                case 0x9C:
                    up = 0x8C;
                    break;  // ś
                case 0x9F:
                    up = 0x8F;
                    break;  // ź
                case 0xBF:
                    up = 0xAF;
                    break;  // ż
                default:
                    break;
            }
        }
        c = static_cast<char>(up);
    }
    return out;
}

std::string ExpandTargetFolder(std::string_view text, std::string_view target) {
    const size_t at = PolishUpperCase(text).find(kTargetFolderPlaceholder);
    if (at == std::string::npos) return std::string(text);
    std::string out(text.substr(0, at));
    out += target;
    out += text.substr(at + kTargetFolderPlaceholder.size());
    return out;
}

}  // namespace setup
