#pragma once

#include <QWidget>

class QTabBar;

namespace tessary {

// The tab control: the row of tabs along its top and, below it, the pages, which are its
// children and which the main window places.
class TabControl : public QWidget {
    Q_OBJECT
  public:
    explicit TabControl(QWidget* parent);

    QTabBar* Bar() const { return bar_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QTabBar* bar_;
};

} // namespace tessary
