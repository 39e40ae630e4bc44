#pragma once

#include "output/PrinterTextStream.h"

#include <QFontMetrics>

class QPainter;
class QPrinter;

namespace quillory {

// A printer's pages as a text canvas, in the printer's default font.
class QtTextCanvas final : public TextCanvas {
public:
    QtTextCanvas(QPrinter& printer, QPainter& painter);

    int Width() const override;
    int Height() const override;
    int CharacterHeight() const override;
    int TextWidth(std::string_view text) const override;
    int TextHeight(std::string_view text) const override;
    void DrawText(int x, int y, std::string_view text) override;
    void NewPage() override;

private:
    QPrinter& printer_;
    QPainter& painter_;
    QFontMetrics metrics_;
};

} // namespace quillory
