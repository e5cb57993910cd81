#include "TabControl.h"

#include <QResizeEvent>
#include <QTabBar>

namespace tessary {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
    setObjectName(QStringLiteral("4097"));
    bar_->setDrawBase(true);
    bar_->setExpanding(false);
    // Tab and Shift+Tab move between the controls of the page shown, and never leave it.
    bar_->setFocusPolicy(Qt::NoFocus);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    bar_->setGeometry(0, 0, event->size().width(), bar_->sizeHint().height());
    QWidget::resizeEvent(event);
}

} // namespace tessary
