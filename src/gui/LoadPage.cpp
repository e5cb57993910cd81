#include "LoadPage.h"

#include "AppContext.h"
#include "FieldFocus.h"
#include "FileDialogs.h"
#include "FormBuilder.h"
#include "WindowOperations.h"

namespace tessary {

LoadPage::LoadPage(QSize templateSize, GridForm form, Ids ids, QString defaultSuffix,
                   std::vector<int> tickedAtStart, LoadOperation operation, QWidget* parent)
    : Page(templateSize, parent), ids_(ids), defaultSuffix_(std::move(defaultSuffix)),
      tickedAtStart_(std::move(tickedAtStart)), operation_(operation) {
    BuildGridForm(*this, form);
}

void LoadPage::OnInit() {
    for (const int id : tickedAtStart_) {
        SetChecked(id, true);
    }
}

void LoadPage::OnCommand(int id, Notification /*code*/) {
    if (id == ids_.browse) {
        if (const auto path = ChooseFileToOpen(this, defaultSuffix_)) {
            SetText(ids_.fileName, path->toStdString());
        }
        update();
    } else if (id == ids_.load) {
        Load();
    }
}

void LoadPage::Load() {
    LoadForm form{Text(ids_.fileName),      Text(ids_.startAddress),
                  Text(ids_.fileOffset),    Text(ids_.length),
                  IsChecked(ids_.verify),   IsChecked(ids_.autoErase),
                  IsChecked(ids_.preserve), std::nullopt,
                  IsChecked(ids_.skip),     VerifyByReadBack};
    const Session session = CurrentSession();
    FieldFocus focus(*this, FieldFocus::FileAndRange(ids_.fileName, ids_.startAddress,
                                                     ids_.fileOffset, ids_.length));
    const std::optional<LoadRequest> request =
        operation_.validate(form, session.memoryConfiguration, focus);
    // The number fields show what the checks made of them, also when a later field failed.
    SetText(ids_.startAddress, form.startAddress);
    SetText(ids_.fileOffset, form.fileOffset);
    SetText(ids_.length, form.length);
    if (request) {
        RunInWindow(
            [run = operation_.run, session, request = *request](
                StatusSink& status, MessageSink& messages, const CancelToken& cancel) {
                return run(session, request, status, messages, cancel);
            },
            Messages());
    }
}

} // namespace tessary
