#include "DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

namespace tessary {

DialogUnits::DialogUnits(const QFont& font) {
    // The average width of the alphabet, rounded, and the font's line height.
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (alphabet / 26 + 1) / 2;
    baseY_ = metrics.height();
}

} // namespace tessary
