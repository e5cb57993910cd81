#pragma once

#include "AppContext.h"

namespace tessary {
class MessageSink;
}

namespace tessary::cli {

// The application object and the device library for one run of the tool: gApp points at the
// context while the session lives, and the library is shut down with it.
class Session {
  public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Initialises the device library; a failure is reported.
    bool Start(MessageSink& messages);
    AppContext& Context() { return context_; }

  private:
    AppContext context_;
    bool started_ = false;
};

} // namespace tessary::cli
