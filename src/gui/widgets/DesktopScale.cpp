#include "gui/widgets/DesktopScale.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace quillory {

namespace {

// The texts the two yardstick columns were made to hold, and their widths.
constexpr int SizeColumnWidth = 55;
constexpr int DateTimeColumnWidth = 135;
// The longest Date/Time cells: a 10-, 9- and 8-character date with their
// alignment spaces and the latest time.
constexpr const char* LongestDateTimes[] = {"28/12/2003    23:59:58", "28/2/2003     23:59:58",
                                            "8/2/2003       23:59:58"};

} // namespace

double FontScale(const QFont& font) {
    const QFontMetricsF metrics(font);
    // A list cell keeps a margin on either side of its text.
    const int margin = 2 * (QApplication::style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    qreal digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, metrics.horizontalAdvance(QChar(c)));
    double scale = (10 * digit + margin) / SizeColumnWidth;
    for (const char* cell : LongestDateTimes)
        scale = std::max(scale, (metrics.horizontalAdvance(QString::fromLatin1(cell)) + margin) /
                                    DateTimeColumnWidth);
    return std::max(1.0, scale);
}

int Scaled(int pixels) {
    return static_cast<int>(std::ceil(pixels * FontScale(QApplication::font())));
}

QSize Scaled(QSize size) {
    return {Scaled(size.width()), Scaled(size.height())};
}

} // namespace quillory
