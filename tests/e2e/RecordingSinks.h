#pragma once

#include "Sinks.h"

#include <string>
#include <vector>

namespace tessary::test {

class RecordingStatus : public StatusSink {
  public:
    void SetStatusText(const std::string& text) override { texts.push_back(text); }
    std::string Last() const { return texts.empty() ? std::string() : texts.back(); }

    std::vector<std::string> texts;
};

class RecordingMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& /*caption*/, MessageIcon /*icon*/,
                     bool /*ownedByPage*/) override {
        texts.push_back(text);
    }
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override {
        ShowMessage(text, caption, icon, ownedByPage);
        causes.push_back(cause);
    }
    void NoteFailure(const std::string& /*text*/, const std::string& /*caption*/,
                     const std::string& cause) override {
        noted.push_back(cause);
    }

    // Everything recorded, for a failed assertion's output.
    std::string All() const {
        std::string all;
        for (const auto* list : {&texts, &causes, &noted}) {
            for (const std::string& text : *list) {
                all += text + '\n';
            }
        }
        return all;
    }

    std::vector<std::string> texts;
    std::vector<std::string> causes; // of the messages shown with one
    std::vector<std::string> noted;  // the causes of failures reported in a status text
};

} // namespace tessary::test
