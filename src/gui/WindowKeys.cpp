#include "WindowKeys.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QTabBar>

namespace tessary {

WindowKeys::WindowKeys(QWidget* window, QTabBar* bar, QAbstractButton* cancel)
    : QObject(window), bar_(bar), cancel_(cancel),
      escape_(new QShortcut(QKeySequence(Qt::Key_Escape), window)) {
    const std::pair<QList<QKeySequence>, int> steps[] = {
        {{QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1},
        // Shift+Tab arrives as Backtab, with or without Shift among the modifiers.
        {{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
          QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
         -1},
    };
    for (const auto& [keys, step] : steps) {
        auto* shortcut = new QShortcut(window);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { Step(step); });
        pageKeys_.push_back(shortcut);
    }
    connect(escape_, &QShortcut::activated, cancel_, &QAbstractButton::click);
    SetBusy(false);
}

void WindowKeys::SetBusy(bool busy) {
    for (QShortcut* shortcut : pageKeys_) {
        shortcut->setEnabled(!busy);
    }
    escape_->setEnabled(busy);
}

void WindowKeys::Step(int step) {
    if (!bar_->isEnabled() || bar_->count() == 0) {
        return;
    }
    bar_->setCurrentIndex((bar_->currentIndex() + step + bar_->count()) % bar_->count());
}

} // namespace tessary
