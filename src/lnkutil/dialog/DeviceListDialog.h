// The library's device configuration: the devices of the table, added, edited, removed, one of
// them (or none) the default; Save writes the table to its file and closes, Cancel closes and
// changes nothing. A table that cannot be saved keeps the dialog open with every change.
#pragma once

#include "DeviceTable.h"

#include <QDialog>

#include <string>

class QPushButton;
class QTreeWidget;

namespace tessary::lnkutil {

class DeviceListDialog : public QDialog {
    Q_OBJECT
  public:
    // keepOld: the file holds lines the table could not take; saving keeps the old file as .bak.
    DeviceListDialog(DeviceTable table, std::string path, bool keepOld, QWidget* parent);

  private:
    void Add();
    void Edit();
    void Remove();
    void ToggleDefault();
    void Save();

    void Refill(int selected);
    int Selected() const;
    void UpdateButtons();
    std::string Problem(const DeviceEntry& entry, int self) const;

    DeviceTable table_;
    std::string path_;
    bool keepOld_;
    QTreeWidget* list_;
    QPushButton* edit_;
    QPushButton* remove_;
    QPushButton* default_;
};

} // namespace tessary::lnkutil
