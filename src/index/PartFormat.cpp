#include "index/PartFormat.h"

#include <charconv>
#include <xxhash.h>

namespace quillory {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number of 1 to `most` digits without a leading zero, ending at `end` or
// at `stop`; its value, or -1.
int Number(std::string_view& text, std::size_t most, char stop) {
    std::size_t length = 0;
    while (length < text.size() && IsDigit(text[length]))
        ++length;
    if (length == 0 || length > most || (length > 1 && text[0] == '0'))
        return -1;
    if (length < text.size() && text[length] != stop)
        return -1;
    int value = 0;
    std::from_chars(text.data(), text.data() + length, value);
    text.remove_prefix(length < text.size() ? length + 1 : length);
    return value;
}

} // namespace

std::uint32_t DateCode(std::string_view date) {
    // Day and month without leading zeros, the year in exactly four digits.
    const int day = Number(date, 2, '/');
    const int month = Number(date, 2, '/');
    if (day < 1 || day > 31 || month < 1 || month > 12 || date.size() != 4)
        return 0;
    int year = 0;
    for (char c : date) {
        if (!IsDigit(c))
            return 0;
        year = year * 10 + (c - '0');
    }
    return static_cast<std::uint32_t>((year * 12 + month - 1) * 31 + day - 1) + 1;
}

std::uint32_t TimeCode(std::string_view time) {
    if (time.size() != 8 || time[2] != ':' || time[5] != ':')
        return 0;
    std::uint32_t code = 0;
    for (std::size_t i : {0, 1, 3, 4, 6, 7}) {
        if (!IsDigit(time[i]))
            return 0;
        code = code * 10 + static_cast<std::uint32_t>(time[i] - '0');
    }
    return code + 1;
}

std::uint32_t KindCode(std::string_view kind) {
    return kind == "F" ? FileKindCode : kind == "D" ? DirectoryKindCode : 0;
}

std::string_view KindText(std::uint32_t code) {
    return code == FileKindCode ? "F" : "D";
}

std::uint64_t SizeCode(std::string_view size) {
    if (size.empty() || size.size() > 19 || (size.size() > 1 && size[0] == '0'))
        return 0;
    std::uint64_t value = 0;
    for (char c : size) {
        if (!IsDigit(c))
            return 0;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value + 1;
}

std::string_view DateText(std::uint32_t code, char (&buffer)[16]) {
    const std::uint32_t value = code - 1;
    const std::uint32_t day = value % 31 + 1;
    const std::uint32_t month = value / 31 % 12 + 1;
    const std::uint32_t year = value / 31 / 12;
    char* at = std::to_chars(buffer, buffer + 3, day).ptr;
    *at++ = '/';
    at = std::to_chars(at, at + 3, month).ptr;
    *at++ = '/';
    for (std::uint32_t digit = 1000; digit > 0; digit /= 10)
        *at++ = static_cast<char>('0' + year / digit % 10);
    return {buffer, static_cast<std::size_t>(at - buffer)};
}

std::string_view TimeText(std::uint32_t code, char (&buffer)[16]) {
    std::uint32_t value = code - 1;
    for (int i : {7, 6, 4, 3, 1, 0}) {
        buffer[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    buffer[2] = buffer[5] = ':';
    return {buffer, 8};
}

std::string_view SizeText(std::uint64_t code, char (&buffer)[24]) {
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, code - 1).ptr;
    return {buffer, static_cast<std::size_t>(end - buffer)};
}

void AppendCodeLengths(std::string& out, std::string_view lengths) {
    std::size_t coded = 0;
    for (char length : lengths)
        coded += length != 0;
    AppendVarint(out, coded);
    for (std::size_t byte = 0; byte < lengths.size(); ++byte) {
        if (lengths[byte] != 0) {
            out += static_cast<char>(byte);
            out += lengths[byte];
        }
    }
}

std::string ReadCodeLengths(ByteReader& reader) {
    std::string lengths(256, '\0');
    const std::uint64_t coded = reader.Varint();
    if (coded > 256)
        throw DamagedPart();
    for (std::uint64_t i = 0; i < coded; ++i) {
        const std::string_view pair = reader.Bytes(2);
        lengths[static_cast<unsigned char>(pair[0])] = pair[1];
    }
    return lengths;
}

std::uint64_t CheckOf(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

std::uint32_t ShortCheckOf(std::string_view bytes) {
    return static_cast<std::uint32_t>(CheckOf(bytes));
}

} // namespace quillory
