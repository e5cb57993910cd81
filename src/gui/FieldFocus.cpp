#include "FieldFocus.h"

#include "Page.h"

#include <QLineEdit>

namespace tessary {

FieldFocus::FieldFocus(Page& page, std::vector<Naming> namings)
    : page_(page), namings_(std::move(namings)) {}

std::vector<FieldFocus::Naming> FieldFocus::FileAndRange(int fileName, int startAddress,
                                                         int fileOffset, int length) {
    return {
        {"file name", fileName},
        {"valid file", fileName},
        {"name the file", fileName},
        {"specify address", startAddress},
        {"Flash address", startAddress},
        {"RAM address", startAddress},
        {"specify file offset", fileOffset},
        {"specify length", length},
    };
}

void FieldFocus::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                             bool ownedByPage) {
    page_.Messages().ShowMessage(text, caption, icon, ownedByPage);
    FocusFieldNamedIn(text);
}

void FieldFocus::ShowMessageWithCause(const std::string& text, const std::string& caption,
                                      MessageIcon icon, bool ownedByPage,
                                      const std::string& cause) {
    page_.Messages().ShowMessageWithCause(text, caption, icon, ownedByPage, cause);
    FocusFieldNamedIn(text);
}

void FieldFocus::FocusFieldNamedIn(const std::string& text) {
    for (const Naming& naming : namings_) {
        if (text.find(naming.words) == std::string::npos) {
            continue;
        }
        if (QWidget* field = page_.Control(naming.id); field != nullptr && field->isEnabled()) {
            field->setFocus(Qt::OtherFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(field)) {
                edit->selectAll();
            }
        }
        return;
    }
}

} // namespace tessary
