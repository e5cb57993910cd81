// One device of the table: its name, and a simulated board (Flash layout, register base) or a
// board on a serial line (tty or network path, baud rate). OK takes the entry only when `check`
// finds nothing wrong with it; otherwise the reason is shown and everything typed stays as it was.
#pragma once

#include "DeviceEntry.h"

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace tessary::lnkutil {

class DeviceEditDialog : public QDialog {
    Q_OBJECT
  public:
    // The reason why an entry cannot be taken, or the empty text when it can.
    using Check = std::function<std::string(const DeviceEntry&)>;

    DeviceEditDialog(const QString& title, DeviceEntry start, Check check, QWidget* parent);

    const DeviceEntry& entry() const { return entry_; }

    void accept() override;

  private:
    DeviceEntry Edited() const;

    DeviceEntry entry_;
    Check check_;
    QLineEdit* name_;
    QComboBox* kind_;
    QStackedWidget* settings_;
    QComboBox* flash_;
    QLineEdit* base_;
    QLineEdit* path_;
    QComboBox* baud_;
};

} // namespace tessary::lnkutil
