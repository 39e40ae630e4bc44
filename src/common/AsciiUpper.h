#pragma once

#include <string>

namespace quillory {

// Upper-cases the ASCII letters "a" to "z" and leaves every other byte as it
// is: searches fold only these, whatever the locale.
std::string AsciiUpper(std::string text);

// The same for one byte, for loops that upper-case as they go.
inline char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace quillory
