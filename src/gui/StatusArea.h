#pragma once

#include <QElapsedTimer>
#include <QStatusBar>

#include <cstdint>

class QProgressBar;

namespace tessary {

// The status bar: one text, and a progress bar that shows while an operation reports progress.
// Operations run synchronously on the user-interface thread, so the bar paints itself as soon as
// it changes instead of waiting for the event loop; to keep painting from slowing a transfer
// down, it does so at most every kPaintInterval (the event loop shows the last text anyway).
class StatusArea : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr int kPaintInterval = 50; // milliseconds
    static constexpr int kTextIndent = 6;     // pixels; where QStatusBar draws its text

    explicit StatusArea(QWidget* parent);

    void SetText(const QString& text);
    QString Text() const { return currentMessage(); }

    // done of total units; the progress bar shows the percentage.
    void ShowProgress(int64_t done, int64_t total);
    // Hides the progress bar and shows the last text at once.
    void HideProgress();
    QProgressBar* Progress() const { return progress_; }

  private:
    // Paints now and lets the window handle its pending paint and window-system events (never
    // user input), unless that was done less than kPaintInterval ago; force paints regardless.
    void PaintNow(bool force);

    QProgressBar* progress_;
    QElapsedTimer sincePaint_;
};

} // namespace tessary
