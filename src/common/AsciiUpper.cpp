#include "common/AsciiUpper.h"

namespace quillory {

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace quillory
