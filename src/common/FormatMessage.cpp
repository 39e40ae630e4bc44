#include "common/FormatMessage.h"

namespace quillory {

std::string FormatMessage(std::string_view pattern, std::string_view argument) {
    std::string text(pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

std::string WithFullStop(std::string message) {
    // Codes are compared as unsigned bytes: the first byte of a UTF-8 character
    // lies above "." and so earns the full stop, as a letter does.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

} // namespace quillory
