#pragma once

#include <QObject>

#include <vector>

class QAbstractButton;
class QShortcut;
class QTabBar;
class QWidget;

namespace tessary {

// The main window's keys. While no operation runs, Ctrl+Tab and Ctrl+PgDn show the next page,
// Ctrl+Shift+Tab and Ctrl+PgUp the one before, wrapping round at the ends, as a click on its tab
// does. While one runs the pages are locked, as the tab bar is, and Escape does what the status
// bar's Cancel button does. No key starts an operation.
class WindowKeys : public QObject {
    Q_OBJECT
  public:
    WindowKeys(QWidget* window, QTabBar* bar, QAbstractButton* cancel);

    void SetBusy(bool busy);

  private:
    void Step(int step);

    QTabBar* bar_;
    QAbstractButton* cancel_;
    std::vector<QShortcut*> pageKeys_;
    QShortcut* escape_;
};

} // namespace tessary
