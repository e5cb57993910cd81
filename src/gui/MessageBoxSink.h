#pragma once

#include "Sinks.h"

class QWidget;

namespace tessary {

// Shows an operation's messages as modal message boxes with an OK button. Boxes owned by the
// page sit over it; the others have no owner window.
class MessageBoxSink : public MessageSink {
  public:
    explicit MessageBoxSink(QWidget* page) : page_(page) {}

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override;

  private:
    QWidget* page_;
};

} // namespace tessary
