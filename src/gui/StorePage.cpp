#include "StorePage.h"

#include "AppContext.h"
#include "FieldFocus.h"
#include "FileDialogs.h"
#include "FormBuilder.h"
#include "WindowOperations.h"

namespace tessary {

StorePage::StorePage(QSize templateSize, GridForm form, Ids ids, const StorePageTexts& texts,
                     StoreOperation operation, QWidget* parent)
    : Page(templateSize, parent), ids_(ids), texts_(texts), operation_(operation) {
    BuildGridForm(*this, form);
}

void StorePage::OnInit() {
    SetChecked(ids_.append, true);
    EnableOffset(false);
}

void StorePage::OnCommand(int id, Notification /*code*/) {
    if (id == ids_.browse) {
        if (const auto path = ChooseFileToSave(this, QStringLiteral("bin"))) {
            SetText(ids_.fileName, path->toStdString());
        }
        update();
    } else if (id == ids_.append || id == ids_.replace) {
        EnableOffset(false);
    } else if (id == ids_.overwrite) {
        EnableOffset(true);
    } else if (id == ids_.store) {
        Store();
    }
}

void StorePage::EnableOffset(bool enable) {
    for (const int id : {ids_.fileOffset, ids_.offsetLabel, ids_.offsetNote}) {
        Control(id)->setEnabled(enable);
    }
}

OutputMode StorePage::CheckedMode() const {
    if (IsChecked(ids_.overwrite)) {
        return OutputMode::Overwrite;
    }
    return IsChecked(ids_.replace) ? OutputMode::Replace : OutputMode::Append;
}

void StorePage::Store() {
    StoreForm form{Text(ids_.fileName), Text(ids_.startAddress), Text(ids_.fileOffset),
                   Text(ids_.length), CheckedMode()};
    std::vector<FieldFocus::Naming> namings =
        FieldFocus::FileAndRange(ids_.fileName, ids_.startAddress, ids_.fileOffset, ids_.length);
    namings.push_back({"choose Replace", ids_.replace});
    FieldFocus focus(*this, std::move(namings));
    const std::optional<StoreRequest> request = ValidateForm(form, texts_, focus);
    // The number fields show what the checks made of them, also when a later field failed.
    SetText(ids_.startAddress, form.startAddress);
    SetText(ids_.fileOffset, form.fileOffset);
    SetText(ids_.length, form.length);
    if (request) {
        RunInWindow(
            [run = operation_, session = CurrentSession(), request = *request](
                StatusSink& status, MessageSink& messages, const CancelToken& cancel) {
                return run(session, request, status, messages, cancel);
            },
            Messages());
    }
}

} // namespace tessary
