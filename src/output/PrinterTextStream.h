#pragma once

#include <string>
#include <string_view>

namespace quillory {

// What the printer text stream draws on: a printer page, or a fake in tests.
// Sizes are in the device's units.
class TextCanvas {
public:
    virtual ~TextCanvas() = default;
    virtual int Width() const = 0;  // of the printable area
    virtual int Height() const = 0; // of the printable area
    virtual int CharacterHeight() const = 0;
    virtual int TextWidth(std::string_view text) const = 0;
    virtual int TextHeight(std::string_view text) const = 0;
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    virtual void NewPage() = 0;
};

// Puts lines of plain text on pages, as a printer's text output does: each
// line starts at the left edge, a run too wide for the page is cut and goes on
// on the next line, and a new page starts when the next line would fall below
// the printable height less twice the line height.
class PrinterTextStream {
public:
    explicit PrinterTextStream(TextCanvas& canvas) : canvas_(canvas) {}

    // Outputs a run of text at the current position.
    void Write(std::string_view text);
    // Ends the current line.
    void NewLine();

private:
    TextCanvas& canvas_;
    int x_ = 0;
    int y_ = 0;
    int lineHeight_ = 0;
};

} // namespace quillory
