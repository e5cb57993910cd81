#pragma once

#include "ProgressFormat.h"

#include <cstdint>
#include <string>

namespace tessary::cli {

struct Outcome;
struct ShownMessage;

// Where a run's progress goes on stderr: a bar redrawn in place, whole lines for a log, or JSON
// lines for a machine. The calls may come from two threads (the operation and a ticker).
class ProgressDisplay {
  public:
    virtual ~ProgressDisplay() = default;

    // The run starts: its command's name and the board as the command line names it (empty for
    // the library's default device).
    virtual void Begin(const std::string& operation, const std::string& board);
    // A new status text; a change of unit starts a new phase (an erase, then a transfer).
    virtual void SetText(const std::string& text, ProgressUnit unit) = 0;
    virtual void Update(int64_t done, int64_t total) = 0;
    // Takes a drawn line away, before other output goes to the same stream.
    virtual void Clear() = 0;
    // A phase of the operation has ended.
    virtual void End() = 0;
    // Time has passed without a call: a slow board still shows signs of life.
    virtual void Tick() = 0;
    // A message box's content: true when the display has shown it itself, false when the caller
    // prints it as error lines (the display has taken its line away first).
    virtual bool ShowMessage(const ShownMessage& message);
    // The run has ended: true when the display has reported how, false when the caller prints
    // the cancel or failure line itself.
    virtual bool Finish(const Outcome& outcome);
};

} // namespace tessary::cli
