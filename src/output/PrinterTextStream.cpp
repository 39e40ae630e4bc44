#include "output/PrinterTextStream.h"

namespace quillory {

namespace {

// The byte length of `text` less its last UTF-8 character.
std::size_t WithoutLastCharacter(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && (static_cast<unsigned char>(text[--end]) & 0xC0) == 0x80) {
    }
    return end;
}

// The byte length of the first UTF-8 character of `text`.
std::size_t FirstCharacter(std::string_view text) {
    std::size_t end = text.empty() ? 0 : 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        ++end;
    return end;
}

} // namespace

void PrinterTextStream::Write(std::string_view text) {
    while (!text.empty()) {
        std::size_t fits = text.size();
        while (fits > 0 && canvas_.TextWidth(text.substr(0, fits)) > canvas_.Width() - x_)
            fits = WithoutLastCharacter(text.substr(0, fits));
        // On a page narrower than one character, a line start still takes one,
        // or the text would never be used up.
        if (fits == 0 && x_ == 0)
            fits = FirstCharacter(text);
        const std::string_view part = text.substr(0, fits);
        if (!part.empty()) {
            const int height = canvas_.TextHeight(part);
            if (height > lineHeight_)
                lineHeight_ = height + 2;
            canvas_.DrawText(x_, y_, part);
            x_ += canvas_.TextWidth(part);
        }
        text.remove_prefix(fits);
        if (!text.empty())
            NewLine();
    }
}

void PrinterTextStream::NewLine() {
    x_ = 0;
    y_ += lineHeight_ > 0 ? lineHeight_ : canvas_.CharacterHeight();
    if (y_ > canvas_.Height() - 2 * lineHeight_) {
        canvas_.NewPage();
        y_ = 0;
    }
    lineHeight_ = 0;
}

} // namespace quillory
