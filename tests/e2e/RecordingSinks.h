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

    std::vector<std::string> texts;
};

} // namespace tessary::test
