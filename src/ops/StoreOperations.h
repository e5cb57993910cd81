#pragma once

#include "Cancel.h"
#include "Session.h"
#include "StoreForm.h"

#include <cstdint>

namespace tessary {

class MemoryController;
class MessageSink;
class StatusSink;

// Where a store reads from: the part in which Store RAM and Store Flash differ.
class StoreSource {
  public:
    virtual ~StoreSource() = default;
    virtual const StorePageTexts& Texts() const = 0;
    // After connecting: false (with the reason shown) when the board cannot be read from this way.
    virtual bool FitsBoard(const MemoryController&, MessageSink&) const { return true; }
    virtual bool Flash() const = 0;
    // After connecting, before the first block.
    virtual void Prepare(MemoryController& controller, uint32_t startAddress) = 0;
    virtual bool ReadBlock(MemoryController& controller, uint32_t address, uint8_t* data,
                           int32_t count) = 0;
};

// The store both pages run: the file is opened for the request's mode before the board is
// contacted, the range is read in blocks of TransferBlockSize and written as it arrives
// ("Reading block: %d"; progress counts bytes). A failed connect, read or file write leaves the
// file as it was before the store, and so does a cancel ("Operation cancelled."). Returns true when
// the store succeeded.
bool StoreToFile(const Session& session, const StoreRequest& request, StoreSource& source,
                 StatusSink& status, MessageSink& messages, const CancelToken& cancel);

// Refuses, with the page's caption and a message that says where the memory ends, a range that
// does not lie inside it: past the RAM of the configuration's module its address wraps round and
// the file would hold the RAM's start again, past the configuration's Flash size the chip is read
// again from its start.
bool AcceptStoreRange(const StoreRequest& request, bool flash, int32_t configuration,
                      MessageSink& messages);

// Store RAM: blocks read from the RAM data register.
bool StoreRamToFile(const Session& session, const StoreRequest& request, StatusSink& status,
                    MessageSink& messages, const CancelToken& cancel = CancelToken::Never());

// Store Flash: the chip is put into read-array mode first, blocks read from the Flash data
// register.
bool StoreFlashToFile(const Session& session, const StoreRequest& request, StatusSink& status,
                      MessageSink& messages, const CancelToken& cancel = CancelToken::Never());

} // namespace tessary
