#include "StatusArea.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace tessary {
namespace {

// The status text of each block of an erase; all other progress counts bytes.
constexpr QLatin1StringView kErasingBlock("Erasing block: ");

} // namespace

StatusArea::StatusArea(QWidget* parent)
    : QStatusBar(parent), rate_(new QLabel(this)), timeLeft_(new QLabel(this)),
      progress_(new QProgressBar(this)), cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("4098"));
    setSizeGripEnabled(false);
    progress_->setRange(0, 100);
    progress_->setTextVisible(true);
    progress_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    // Wide enough for the longest texts, so that the bar does not jump as they change.
    rate_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000 KB/s")));
    timeLeft_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0:00:00 left")));
    for (QLabel* label : {rate_, timeLeft_}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // It shows only while an operation runs, and then it takes the keyboard focus (Space presses
    // it); it is never in the idle pages' Tab order.
    cancel_->setFocusPolicy(Qt::StrongFocus);
    addPermanentWidget(rate_);
    addPermanentWidget(timeLeft_);
    addPermanentWidget(progress_);
    addPermanentWidget(cancel_);
    // The permanent widgets keep off the window's right edge as far as the text keeps off its
    // left.
    setContentsMargins(0, 0, kTextIndent, 0);
    // The bar is as tall while an operation runs as when it is idle, so that nothing moves.
    setFixedHeight(std::max({sizeHint().height(), progress_->sizeHint().height() + 4,
                             cancel_->sizeHint().height() + 2}));
    connect(cancel_, &QPushButton::clicked, this, [this] {
        // The focus does not wander into a page when the button goes grey: it stays with no
        // control until the operation has ended.
        if (window()->focusWidget() == cancel_) {
            cancel_->clearFocus();
        }
        cancel_->setEnabled(false); // once is enough
        emit CancelClicked();
    });
    HideProgress();
    cancel_->hide();
}

void StatusArea::SetText(const QString& text) {
    showMessage(text);
}

bool StatusArea::CountsBlocks() const {
    return Text().startsWith(kErasingBlock);
}

void StatusArea::ShowProgress(int64_t done, int64_t total) {
    const auto now = TransferEstimate::Clock::now();
    if (!phaseOpen_ || phaseInBlocks_ != CountsBlocks()) {
        phaseOpen_ = true;
        phaseInBlocks_ = CountsBlocks();
        estimate_.Begin(!phaseInBlocks_, now);
    }
    estimate_.Update(done, total, now);
    const int64_t percent = total > 0 ? std::clamp<int64_t>(done * 100 / total, 0, 100) : 0;
    progress_->setValue(static_cast<int>(percent));
    rate_->setText(QString::fromStdString(estimate_.RateText()));
    timeLeft_->setText(QString::fromStdString(estimate_.TimeLeftText()));
    progress_->show();
    rate_->show();
    timeLeft_->show();
}

void StatusArea::HideProgress() {
    phaseOpen_ = false;
    progress_->hide();
    rate_->hide();
    timeLeft_->hide();
    rate_->clear();
    timeLeft_->clear();
}

void StatusArea::SetRunning(bool running) {
    cancel_->setEnabled(running);
    cancel_->setVisible(running);
}

} // namespace tessary
