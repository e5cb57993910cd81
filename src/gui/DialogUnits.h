#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace tessary {

// Dialog units of a font: forms measured in them keep their proportions whatever font and size
// the desktop uses.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return units * baseX_ / 4; }
    int Y(int units) const { return units * baseY_ / 8; }
    QSize Size(int width, int height) const { return {X(width), Y(height)}; }
    QRect Rect(int x, int y, int width, int height) const {
        return {X(x), Y(y), X(width), Y(height)};
    }

  private:
    int baseX_;
    int baseY_;
};

} // namespace tessary
