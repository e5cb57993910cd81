#pragma once

#include "ProgressFormat.h"
#include "Sinks.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tessary::cli {

class ProgressDisplay;

// A message box's content, as the command line reports it.
struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    std::string cause; // empty when none is known
};

// Status texts become the progress display (none with --quiet); the sink keeps the last text,
// the status bar's final text (the run's outcome unless it failed), and the amounts moved.
class PrintingStatus final : public StatusSink {
  public:
    explicit PrintingStatus(ProgressDisplay* progress) : progress_(progress) {}

    void SetStatusText(const std::string& text) override;
    void ReportProgress(int64_t done, int64_t total) override;
    void EndProgress() override;

    // The last status text shown; nothing if the operation showed none.
    const std::optional<std::string>& LastText() const { return lastText_; }
    int64_t Bytes() const { return bytes_; }
    int64_t Blocks() const { return blocks_; }

  private:
    ProgressDisplay* progress_;
    std::optional<std::string> lastText_;
    ProgressUnit unit_ = ProgressUnit::Bytes;
    int64_t bytes_ = 0;
    int64_t blocks_ = 0;
};

// Message boxes become "error: TEXT" lines, with the caption in parentheses where it says more
// than "Error", and the cause on a line "  cause: ..." below; the sink keeps every message for the
// JSON outcome.
class PrintingMessages final : public MessageSink {
  public:
    PrintingMessages(std::ostream& err, ProgressDisplay* progress)
        : err_(err), progress_(progress) {}

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override;
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override;
    // Printed and kept as an error message with its cause.
    void NoteFailure(const std::string& text, const std::string& caption,
                     const std::string& cause) override;

    const std::vector<ShownMessage>& Shown() const { return shown_; }

  private:
    std::ostream& err_;
    ProgressDisplay* progress_;
    std::vector<ShownMessage> shown_;
};

} // namespace tessary::cli
