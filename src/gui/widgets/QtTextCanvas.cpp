#include "gui/widgets/QtTextCanvas.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "platform/Text.h"

#include <QPainter>
#include <QPrinter>

namespace quillory {

namespace {
QString Text(std::string_view text) {
    return FromBytes(std::string(text));
}
} // namespace

QtTextCanvas::QtTextCanvas(QPrinter& printer, QPainter& painter)
    : printer_(printer), painter_(painter), metrics_(painter.font(), &printer) {}

int QtTextCanvas::Width() const {
    return printer_.pageLayout().paintRectPixels(printer_.resolution()).width();
}

int QtTextCanvas::Height() const {
    return printer_.pageLayout().paintRectPixels(printer_.resolution()).height();
}

int QtTextCanvas::CharacterHeight() const {
    return metrics_.height();
}

int QtTextCanvas::TextWidth(std::string_view text) const {
    return metrics_.horizontalAdvance(Text(text));
}

int QtTextCanvas::TextHeight(std::string_view) const {
    return metrics_.height();
}

void QtTextCanvas::DrawText(int x, int y, std::string_view text) {
    painter_.drawText(x, y + metrics_.ascent(), Text(text));
}

void QtTextCanvas::NewPage() {
    if (!printer_.newPage())
        throw Error(msg::PrinterNewPageFailed);
}

} // namespace quillory
