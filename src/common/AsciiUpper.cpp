#include "common/AsciiUpper.h"

namespace quillory {

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        c = AsciiUpper(c);
    return text;
}

} // namespace quillory
