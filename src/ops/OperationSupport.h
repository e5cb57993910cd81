#pragma once

#include <cstdint>
#include <string>

namespace tessary {

class MemoryController;
class MessageSink;
class StatusSink;

// The status text of an operation the person cancelled.
inline constexpr const char* kCancelledText = "Operation cancelled.";

// The status text of a cancelled load: kCancelledText and how far the load got, such as
// "Operation cancelled. 40960 of 131072 bytes loaded.".
std::string CancelledLoadText(int64_t loaded, int64_t length);

// A status text that ends in a number, such as "Loading block: 3".
std::string WithNumber(const char* prefix, int64_t number);

// Shows the string-table entry as a controller, erase or verification failure: the caption of
// entry 3, the error icon, no owner window.
void ShowStringTableError(MessageSink& messages, int entry);
// The same with the cause in words (empty: none).
void ShowStringTableError(MessageSink& messages, int entry, const std::string& cause);

// A transfer with the board that broke off (not cancelled) in an operation whose window shows
// such a failure in its status text alone (`statusText`): its cause goes to
// MessageSink::NoteFailure. A controller missing at the register base is shown as a failed
// connection instead, "Unable to connect to target board" with `caption` and the cause.
void ReportTransferFailure(MessageSink& messages, const MemoryController& controller,
                           const std::string& statusText, const std::string& caption);

// Takes any progress display away when an operation ends, however it ends.
class ProgressScope {
  public:
    explicit ProgressScope(StatusSink& status) : status_(status) {}
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

  private:
    StatusSink& status_;
};

} // namespace tessary
