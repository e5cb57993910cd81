#pragma once

#include "Cancel.h"
#include "FormTable.h"
#include "Page.h"
#include "Session.h"
#include "StoreForm.h"

namespace tessary {

class StatusSink;

// What a store page runs when Store is pressed, after the form's checks.
using StoreOperation = bool (*)(const Session& session, const StoreRequest& request,
                                StatusSink& status, MessageSink& messages,
                                const CancelToken& cancel);

// What the two store pages share: the output file, chosen with the save-file dialog, the three
// output modes, of which only Overwrite uses the file offset field, and a Store button that hands
// the form to the operation.
class StorePage : public Page {
  public:
    struct Ids {
        int fileName;
        int browse;
        int fileOffset;
        int offsetLabel;
        int offsetNote;
        int append;
        int replace;
        int overwrite;
        int startAddress;
        int length;
        int store;
    };

    StorePage(QSize templateSize, GridForm form, Ids ids, const StorePageTexts& texts,
              StoreOperation operation, QWidget* parent);

    // Append checked; the offset field and its labels disabled.
    void OnInit() override;
    void OnCommand(int id, Notification code) override;

  private:
    void EnableOffset(bool enable);
    OutputMode CheckedMode() const;
    void Store();

    Ids ids_;
    const StorePageTexts& texts_;
    StoreOperation operation_;
};

} // namespace tessary
