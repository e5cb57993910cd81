#pragma once

#include "Sinks.h"

#include <QElapsedTimer>
#include <QString>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QWidget;

namespace tessary::test {

// A device table and a data directory of the test's own, named to the library through its
// environment variables for as long as the object lives (they are restored afterwards).
class LibraryEnvironment {
  public:
    explicit LibraryEnvironment(const std::string& table);
    ~LibraryEnvironment();
    LibraryEnvironment(const LibraryEnvironment&) = delete;
    LibraryEnvironment& operator=(const LibraryEnvironment&) = delete;

    const std::filesystem::path& directory() const { return directory_; }
    std::filesystem::path tablePath() const { return directory_ / "devices.conf"; }

  private:
    std::filesystem::path directory_;
    std::optional<std::string> oldTable_;
    std::optional<std::string> oldData_;
};

// Two simulated boards, the first the default.
inline constexpr const char* kTableWithDefault = "SimBoard sim default flash=512k\n"
                                                 "SimBoard-1M sim flash=1m\n";
// The same boards without a default device.
inline constexpr const char* kTableWithoutDefault = "SimBoard sim flash=512k\n"
                                                    "SimBoard-1M sim flash=1m\n";

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    bool ownedByPage;
};

// Keeps every message instead of showing it.
class RecordingSink : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override {
        messages.push_back({text, caption, icon, ownedByPage});
    }
    std::vector<RecordedMessage> messages;
};

// Answers modal dialogs as they come up: each is handed to `answer` (which closes it), for as
// long as the object lives.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer);
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    int answered() const { return answered_; }

  private:
    struct Poll;
    Poll* poll_;
    int answered_ = 0;
};

// Plays steps against modal dialogs as they come up. Each step is offered the dialog on top and
// returns true when it has dealt with it; until then it is offered again. Steps act through
// Press, so that a dialog a step opens runs from the event loop, not from inside the step.
class DialogScript {
  public:
    using Step = std::function<bool(QWidget*)>;
    explicit DialogScript(std::deque<Step> steps);

    bool finished() const { return steps_.empty(); }

  private:
    static constexpr int kPatience = 10000; // milliseconds without a step before giving up

    std::deque<Step> steps_;
    QElapsedTimer stalled_;
    std::unique_ptr<ModalAnswerer> answerer_;
};

// Clicks the button from the event loop.
void Press(QAbstractButton* button);

} // namespace tessary::test
