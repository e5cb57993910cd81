#pragma once

#include "Sinks.h"

class QWidget;

namespace tessary {

// Shows an operation's messages as modal error boxes with an OK button: the error icon, the
// caption and the text, and a cause as the informative text below it. Boxes owned by the page sit
// over it; the others have no owner window.
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
