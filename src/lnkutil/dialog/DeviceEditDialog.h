// One device of the table, in one form: its name and kind; for a simulated board its Flash, for a
// board on a serial line the line (ports present offered, any text taken; tty or network path)
// with a Test that shows what answers there, and its baud rate; for both the board's memory
// configuration and register base. OK takes the entry only when `check` finds nothing wrong with
// it; otherwise the reason is shown and everything typed stays as it was.
#pragma once

#include "DeviceEntry.h"

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

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
    void ShowKind();
    void FillLines();
    void TakeLine(int index);
    // The serial line in the field: the path behind a name of the list when the field holds one,
    // else the text as typed.
    QString LinePath() const;
    void Test();

    DeviceEntry entry_;
    Check check_;
    QFormLayout* form_;
    QLineEdit* name_;
    QComboBox* kind_;
    QComboBox* flash_;
    QComboBox* line_;
    QPushButton* test_;
    QWidget* lineRow_;
    QLabel* result_;
    QComboBox* baud_;
    QComboBox* config_;
    QLineEdit* base_;
};

} // namespace tessary::lnkutil
