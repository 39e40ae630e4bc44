#include "common/FormatMessage.h"

namespace quillory {

std::string FormatMessage(std::string_view pattern, std::string_view argument) {
    return FormatMessage(pattern, {argument});
}

std::string FormatMessage(std::string_view pattern,
                          std::initializer_list<std::string_view> arguments) {
    std::string text(pattern);
    std::size_t from = 0;
    for (const std::string_view argument : arguments) {
        const auto at = text.find("%s", from);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, argument);
        from = at + argument.size();
    }
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
