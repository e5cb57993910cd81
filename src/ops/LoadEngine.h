#pragma once

#include "Cancel.h"
#include "LoadForm.h"
#include "Session.h"

#include <cstdint>

namespace tessary {

class MemoryController;
class MessageSink;
class StatusSink;

// The texts in which the two load pages differ.
struct LoadPageTexts {
    const char* caption; // run-time failures
    const char* completePrefix;
    const char* errorStatus;
};

// What a load does with the board: the part in which Load RAM and Load Flash differ.
class LoadTarget {
  public:
    virtual ~LoadTarget() = default;
    virtual const LoadPageTexts& Texts() const = 0;
    // Once the length is known, before the board is contacted; false ends the load.
    virtual bool AcceptRange(const LoadRequest& request, int32_t length, MessageSink& messages) = 0;
    // After connecting, before the first block; false ends the load.
    virtual bool Prepare(MemoryController& controller, const LoadRequest& request, int32_t length,
                         StatusSink& status, MessageSink& messages) = 0;
    virtual bool WriteBlock(MemoryController& controller, uint32_t address, const uint8_t* data,
                            int32_t count) = 0;
    // Reads a written block back for the comparison.
    virtual bool ReadBack(MemoryController& controller, uint32_t address, uint8_t* data,
                          int32_t count) = 0;
    // Writes a block and reads each piece back as it is written (when the controller
    // InterleavesReadBack); the memory is left as after WriteBlock and ReadBack.
    virtual bool WriteAndReadBack(MemoryController& controller, uint32_t address,
                                  const uint8_t* data, uint8_t* readBack, int32_t count) = 0;
    // The load was cancelled while connected: leave the memory as the next user expects it.
    virtual void Stop(MemoryController& controller) { (void)controller; }
};

// The load both pages run: the file (or its slice) goes to the board in blocks of
// TransferBlockSize, each optionally read back and compared; the outcome is the final status text.
// A cancel stops it between blocks (between frames on a serial line). Returns true when the load
// succeeded.
bool RunLoad(const Session& session, const LoadRequest& request, LoadTarget& target,
             StatusSink& status, MessageSink& messages, const CancelToken& cancel);

} // namespace tessary
