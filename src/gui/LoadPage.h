#pragma once

#include "Cancel.h"
#include "FormTable.h"
#include "LoadForm.h"
#include "Page.h"
#include "Session.h"

#include <optional>
#include <vector>

namespace tessary {

class StatusSink;

// What a load page runs when Load is pressed: its checks of the form, then its operation.
struct LoadOperation {
    std::optional<LoadRequest> (*validate)(LoadForm& form, int32_t configuration,
                                           MessageSink& messages);
    bool (*run)(const Session& session, const LoadRequest& request, StatusSink& status,
                MessageSink& messages, const CancelToken& cancel);
};

// What the two load pages share: a file to read, chosen with the open-file dialog, check boxes
// that are ticked when the page opens, and a Load button that hands the form to the operation.
class LoadPage : public Page {
  public:
    struct Ids {
        int fileName;
        int browse;
        int fileOffset;
        int startAddress;
        int length;
        int verify;
        int autoErase; // 0 when the page has none
        int preserve;  // 0 when the page has none
        int skip;      // 0 when the page has none
        int load;
    };

    LoadPage(QSize templateSize, GridForm form, Ids ids, QString defaultSuffix,
             std::vector<int> tickedAtStart, LoadOperation operation, QWidget* parent);

    void OnInit() override;
    void OnCommand(int id, Notification code) override;

  private:
    void Load();

    Ids ids_;
    QString defaultSuffix_;
    std::vector<int> tickedAtStart_;
    LoadOperation operation_;
};

} // namespace tessary
