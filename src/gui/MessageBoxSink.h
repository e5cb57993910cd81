#pragma once

#include "Sinks.h"

class QWidget;

namespace tessary {

// Shows an operation's messages as modal message boxes with an OK button. Boxes owned by the
// page sit over it; the others have no owner window. A cause is the box's informative text,
// below the message.
class MessageBoxSink : public MessageSink {
  public:
    explicit MessageBoxSink(QWidget* page) : page_(page) {}

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override;
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override;

  private:
    QWidget* page_;
};

} // namespace tessary
