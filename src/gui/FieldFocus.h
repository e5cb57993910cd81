#pragma once

#include "Sinks.h"

#include <vector>

namespace tessary {

class Page;

// The messages of a page's form checks, passed on to the page's own sink; when one names a field
// of the form, the keyboard focus goes to that field once the message has been answered, its
// text selected, so that it can be typed over at once.
class FieldFocus : public MessageSink {
  public:
    // A message that holds `words` names the field `id`; the first match counts.
    struct Naming {
        const char* words;
        int id;
    };

    FieldFocus(Page& page, std::vector<Naming> namings);

    // How the load and store pages' checks name their file and number fields.
    static std::vector<Naming> FileAndRange(int fileName, int startAddress, int fileOffset,
                                            int length);

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override;
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override;

  private:
    void FocusFieldNamedIn(const std::string& text);

    Page& page_;
    std::vector<Naming> namings_;
};

} // namespace tessary
