#include "FormBuilder.h"

#include "DialogUnits.h"
#include "Page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

#include <algorithm>
#include <vector>

namespace tessary {
namespace {

constexpr int kClosedComboHeight = 14; // dialog units

QWidget* MakeControl(ControlKind kind, const QString& text, QWidget* parent) {
    switch (kind) {
    case ControlKind::Group:
        return new QGroupBox(text, parent);
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::Edit:
        return new QLineEdit(text, parent);
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::Check:
        return new QCheckBox(text, parent);
    case ControlKind::Radio:
        return new QRadioButton(text, parent);
    case ControlKind::Combo:
        return new QComboBox(parent);
    }
    return nullptr;
}

struct Grid {
    QGridLayout* layout;
    bool holdsEdits = false;
};

// Gives the same column of every grid that holds edit fields the same minimum width: labels,
// fields and buttons line up from one group box to the next.
void AlignEditColumns(const std::vector<Grid>& grids) {
    QMap<int, int> widths;
    for (const Grid& grid : grids) {
        if (!grid.holdsEdits) {
            continue;
        }
        for (int i = 0; i < grid.layout->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid.layout->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            QWidget* widget = grid.layout->itemAt(i)->widget();
            if (columnSpan == 1 && widget != nullptr &&
                qobject_cast<QLineEdit*>(widget) == nullptr) {
                widths[column] = std::max(widths.value(column), widget->sizeHint().width());
            }
        }
    }
    for (const Grid& grid : grids) {
        if (!grid.holdsEdits) {
            continue;
        }
        QSet<int> used;
        for (int i = 0; i < grid.layout->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid.layout->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            for (int c = column; c < column + columnSpan; ++c) {
                used.insert(c);
            }
        }
        for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
            // An empty column gets no spacing before it; it takes that as width instead.
            const int spacing = used.contains(it.key()) ? 0 : grid.layout->horizontalSpacing();
            grid.layout->setColumnMinimumWidth(it.key(), it.value() + spacing);
        }
    }
}

} // namespace

void BuildGridForm(Page& page, GridForm form) {
    QMap<int, QWidget*> frames{{kPageFrame, &page}};
    QMap<int, Grid> grids{{kPageFrame, Grid{new QGridLayout(&page)}}};
    for (const GridControl& entry : form) {
        QWidget* frame = frames.value(entry.frame, &page);
        QWidget* control = MakeControl(entry.kind, QString::fromUtf8(entry.text), frame);
        Grid& grid = grids[entry.frame];
        Qt::Alignment alignment;
        if (entry.kind == ControlKind::Group) {
            frames.insert(entry.id, control);
            grids.insert(entry.id, Grid{new QGridLayout(control)});
        } else if (entry.kind == ControlKind::Edit) {
            grid.holdsEdits = true;
        } else if (entry.kind == ControlKind::Button) {
            alignment = Qt::AlignRight;
        }
        grid.layout->addWidget(control, entry.row, entry.column, entry.rowSpan, entry.columnSpan,
                               alignment);
        if (entry.hidden) {
            control->hide();
        }
        page.AddControl(entry.id, control);
    }
    std::vector<Grid> all;
    for (const Grid& grid : grids) {
        // Rows keep their natural height; what is left over stays below the last one.
        grid.layout->setRowStretch(grid.layout->rowCount(), 1);
        all.push_back(grid);
    }
    // Edit fields take the width that is left over; where there are none, the space goes
    // before the push buttons, which keep to the right.
    for (const GridControl& entry : form) {
        const Grid& grid = grids[entry.frame];
        if (entry.kind == ControlKind::Edit ||
            (entry.kind == ControlKind::Button && !grid.holdsEdits)) {
            grid.layout->setColumnStretch(entry.column, 1);
        }
    }
    AlignEditColumns(all);
}

void BuildPlacedForm(Page& page, PlacedForm form) {
    const DialogUnits units(page.font());
    struct Placed {
        QWidget* widget;
        QRect rect; // as the form gives it
    };
    std::vector<Placed> groups;
    std::vector<Placed> controls;
    for (const PlacedControl& entry : form) {
        QWidget* control = MakeControl(entry.kind, QString::fromUtf8(entry.text), &page);
        const QRect given = units.Rect(entry.x, entry.y, entry.width, entry.height);
        QRect rect = given;
        if (entry.kind == ControlKind::Combo) {
            // A combo box's rectangle includes its drop-down list; closed, it is as tall as a
            // push button.
            rect.setHeight(units.Y(kClosedComboHeight));
        }
        if (entry.kind != ControlKind::Group) {
            const QSize natural = control->sizeHint();
            const int height = std::max(rect.height(), natural.height());
            rect = QRect(rect.left(), rect.center().y() - height / 2,
                         std::max(rect.width(), natural.width()), height);
        }
        control->setGeometry(rect);
        (entry.kind == ControlKind::Group ? groups : controls).push_back({control, given});
        page.AddControl(entry.id, control);
    }
    // A group box grows to the right and down until the controls that start inside it end
    // inside it too (their own padding keeps the text off the frame).
    for (const Placed& group : groups) {
        QRect frame = group.widget->geometry();
        for (const Placed& control : controls) {
            if (group.rect.contains(control.rect.topLeft())) {
                const QRect used = control.widget->geometry();
                frame.setRight(std::max(frame.right(), used.right()));
                frame.setBottom(std::max(frame.bottom(), used.bottom()));
            }
        }
        group.widget->setGeometry(frame);
    }
}

} // namespace tessary
