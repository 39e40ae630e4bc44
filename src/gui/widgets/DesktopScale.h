#pragma once

#include <QSize>

class QFont;

namespace quillory {

// The window sizes and column widths the program is laid out by were made
// for a 10-pixel font, in which the 55-pixel Size column just held a
// ten-digit size and the 135-pixel Date/Time column the longest date and
// time. The desktop's font is usually wider: FontScale tells how much, so
// that every documented size, multiplied by it, holds the same texts again.
// It is never below 1.
double FontScale(const QFont& font);

// A documented size in pixels, scaled for the application's font.
int Scaled(int pixels);
QSize Scaled(QSize size);

} // namespace quillory
