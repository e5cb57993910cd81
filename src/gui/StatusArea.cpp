#include "StatusArea.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <algorithm>

namespace tessary {

StatusArea::StatusArea(QWidget* parent) : QStatusBar(parent), progress_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("4098"));
    setSizeGripEnabled(false);
    progress_->setRange(0, 100);
    progress_->setTextVisible(true);
    addPermanentWidget(progress_);
    // The progress bar keeps off the window's right edge as far as the text keeps off its left.
    setContentsMargins(0, 0, kTextIndent, 0);
    // The bar is as tall with the progress bar as without it, so that nothing moves.
    setFixedHeight(std::max(sizeHint().height(), progress_->sizeHint().height() + 4));
    progress_->hide();
}

void StatusArea::SetText(const QString& text) {
    showMessage(text);
    PaintNow(false);
}

void StatusArea::ShowProgress(int64_t done, int64_t total) {
    const int64_t percent = total > 0 ? std::clamp<int64_t>(done * 100 / total, 0, 100) : 0;
    progress_->setValue(static_cast<int>(percent));
    progress_->show();
    PaintNow(false);
}

void StatusArea::HideProgress() {
    progress_->hide();
    PaintNow(true);
}

void StatusArea::PaintNow(bool force) {
    if (!isVisible() ||
        (!force && sincePaint_.isValid() && sincePaint_.elapsed() < kPaintInterval)) {
        return;
    }
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sincePaint_.start();
}

} // namespace tessary
