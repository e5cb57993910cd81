#pragma once

#include "TransferEstimate.h"

#include <QStatusBar>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessary {

// The status bar: one text and, while an operation runs, what it needs to be lived with: a
// progress bar, the rate and the time left while it reports progress, and a Cancel button.
// Operations run on a worker thread; the event loop paints whatever changed.
class StatusArea : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr int kTextIndent = 6; // pixels; where QStatusBar draws its text

    explicit StatusArea(QWidget* parent);

    void SetText(const QString& text);
    QString Text() const { return currentMessage(); }

    // done of total units; the progress bar shows the percentage. Byte counts get a rate.
    void ShowProgress(int64_t done, int64_t total);
    // Hides the progress bar, the rate and the time left.
    void HideProgress();
    // An operation began (the Cancel button shows) or ended (it goes).
    void SetRunning(bool running);

    QProgressBar* Progress() const { return progress_; }
    QLabel* Rate() const { return rate_; }
    QLabel* TimeLeft() const { return timeLeft_; }
    QPushButton* CancelButton() const { return cancel_; }

  signals:
    void CancelClicked();

  private:
    bool CountsBlocks() const;

    QLabel* rate_;
    QLabel* timeLeft_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    TransferEstimate estimate_;
    bool phaseOpen_ = false;
    bool phaseInBlocks_ = false;
};

} // namespace tessary
