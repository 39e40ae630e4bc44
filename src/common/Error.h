#pragma once

#include <stdexcept>
#include <string>

namespace quillory {

// Every failure the program can explain travels as one Error carrying the text
// the user will read. The core never shows anything: the windows and the command
// line decide whether a text goes into an error box, the unexpected-error box or
// standard error.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace quillory
