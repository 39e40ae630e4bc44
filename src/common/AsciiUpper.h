#pragma once

#include <string>

namespace quillory {

// Upper-cases the ASCII letters "a" to "z" and leaves every other byte as it
// is: searches fold only these, whatever the locale.
std::string AsciiUpper(std::string text);

} // namespace quillory
