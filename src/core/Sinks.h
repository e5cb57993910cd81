#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// What an operation tells the person running it. The desktop program shows these in its status
// bar and message boxes, the command-line tool prints them, tests record them.

enum class MessageIcon { None, Error };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // ownedByPage: the box belongs to the page that runs the operation; false for boxes without
    // an owner window (controller, erase and verification failures).
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                             bool ownedByPage) = 0;
    // The same message with its cause in words below it ("no such device /dev/ttyUSB0", "first
    // difference at 0x00012345: wrote 0x5A, read 0x5B"): a message box shows it as its informative
    // text, the command line on the line after the message. Sinks that do not override it show
    // the message alone.
    virtual void ShowMessageWithCause(const std::string& text, const std::string& caption,
                                      MessageIcon icon, bool ownedByPage,
                                      const std::string& cause) {
        (void)cause;
        ShowMessage(text, caption, icon, ownedByPage);
    }
    // A failure that the window reports in its status text (a transfer that broke off ends with
    // "RAM load error"): that status text, the operation's caption and the cause. The window adds
    // a box naming the cause when one is known; the command line prints it as a message with its
    // cause.
    virtual void NoteFailure(const std::string& text, const std::string& caption,
                             const std::string& cause) {
        (void)text;
        (void)caption;
        (void)cause;
    }
};

class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    // Progress of a long transfer: done of total units (bytes or blocks, as the operation says).
    virtual void ReportProgress(int64_t done, int64_t total) {
        (void)done;
        (void)total;
    }
    // The operation has ended; any progress display goes away.
    virtual void EndProgress() {}
};

} // namespace tessary
