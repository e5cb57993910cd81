#include "Page.h"

#include "DialogUnits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>

namespace tessary {

Page::Page(QSize templateSize, QWidget* parent)
    : QWidget(parent), templateSize_(templateSize), ownBoxes_(this) {}

// Controls are destroyed after this body has run; by then none of them may reach the handler.
Page::~Page() {
    Release();
}

void Page::Release() {
    released_ = true;
}

void Page::Dispatch(int id, Notification code) {
    if (!released_) {
        OnCommand(id, code);
    }
}

void Page::AddControl(int id, QWidget* control) {
    if (id == 0) {
        return;
    }
    control->setObjectName(QString::number(id));
    controls_.insert(id, control);
    ids_.push_back(id);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { Dispatch(id, Notification::Clicked); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        connect(combo, &QComboBox::activated, this,
                [this, id] { Dispatch(id, Notification::SelectionChanged); });
    } else if (qobject_cast<QLineEdit*>(control) != nullptr) {
        control->installEventFilter(this);
    }
}

bool Page::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        // A context menu takes the focus only for a moment; leaving the field is what counts.
        bool isNumber = false;
        const int id = watched->objectName().toInt(&isNumber);
        if (isNumber) {
            Dispatch(id, Notification::KillFocus);
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::string Page::Text(int id) const {
    const QWidget* control = Control(id);
    QString text;
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) {
        text = edit->text();
    } else if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        text = combo->currentText();
    } else if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        text = button->text();
    } else if (auto* label = qobject_cast<const QLabel*>(control)) {
        text = label->text();
    } else if (auto* group = qobject_cast<const QGroupBox*>(control)) {
        text = group->title();
    }
    return text.toStdString();
}

void Page::SetText(int id, const std::string& text) {
    QWidget* control = Control(id);
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    }
}

bool Page::IsChecked(int id) const {
    auto* button = qobject_cast<const QAbstractButton*>(Control(id));
    return button != nullptr && button->isChecked();
}

void Page::SetChecked(int id, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(Control(id))) {
        button->setChecked(checked);
    }
}

void Page::FitSize(int reservedBottom, int minimumWidth) {
    const DialogUnits units(font());
    QSize needed;
    if (QLayout* grid = layout()) {
        const int margin = style()->pixelMetric(QStyle::PM_LayoutBottomMargin);
        QMargins margins = grid->contentsMargins();
        margins.setBottom(margin + reservedBottom);
        grid->setContentsMargins(margins);
        needed = grid->totalMinimumSize();
    } else {
        const QRect used = childrenRect();
        needed = QSize(used.right() + 1, used.bottom() + 1 + reservedBottom);
    }
    needed.setWidth(std::max(needed.width(), minimumWidth));
    setFixedSize(units.Size(templateSize_.width(), templateSize_.height()).expandedTo(needed));
}

} // namespace tessary
