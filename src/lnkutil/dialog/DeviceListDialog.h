// The library's device configuration: the devices of the table, added, edited, removed, one of
// them (or none) the default; Save writes the table to its file and closes, Cancel closes and
// changes nothing. A table that cannot be saved keeps the dialog open with every change.
#pragma once

#include "TableDocument.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QPushButton;
class QTreeWidget;

namespace tessary::lnkutil {

class DeviceListDialog : public QDialog {
    Q_OBJECT
  public:
    // Edits the document in place; Save writes it to `path`.
    DeviceListDialog(TableDocument document, std::string path, QWidget* parent);

  private:
    void Add();
    void Edit();
    void Remove();
    void ChooseDefault(bool isDefault);
    void Save();

    void Refill(int selected);
    int Selected() const;
    void UpdateButtons();
    // Why the entry cannot be kept (its line must read back as it is), or the empty text.
    std::string Problem(const DeviceEntry& entry, int self) const;
    // Says that the table refused an edit, and why.
    void Refused(const std::string& reason);

    TableDocument document_;
    std::string path_;
    QTreeWidget* list_;
    QPushButton* edit_;
    QPushButton* remove_;
    QCheckBox* default_;
};

} // namespace tessary::lnkutil
