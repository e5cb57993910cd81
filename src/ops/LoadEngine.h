#pragma once

#include "Cancel.h"
#include "LoadForm.h"
#include "LoadOperations.h"
#include "LoadSource.h"
#include "Session.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    // Once the ranges are known, before the board is contacted; false ends the load.
    virtual bool AcceptRanges(const std::vector<LoadRange>& ranges, MessageSink& messages) = 0;
    // After connecting, before the first block; false ends the load.
    virtual bool Prepare(MemoryController& controller, const LoadRequest& request,
                         LoadSource& source, StatusSink& status, MessageSink& messages) = 0;
    // After Prepare: the address spans (ascending, apart) that already hold what the load would
    // write there, which are not written.
    virtual std::vector<LoadRange> Matched() const { return {}; }
    // After Prepare: how many blocks already matched, when the target looked.
    virtual std::optional<MatchedBlocks> MatchedCount() const { return std::nullopt; }
    virtual bool WriteBlock(MemoryController& controller, uint32_t address, const uint8_t* data,
                            int32_t count) = 0;
    // The board's CRC-32 of a written block (a controller that OffersChecksum).
    virtual bool Checksum(MemoryController& controller, uint32_t address, int32_t count,
                          uint32_t& crc) = 0;
    // Reads a written block back for the comparison.
    virtual bool ReadBack(MemoryController& controller, uint32_t address, uint8_t* data,
                          int32_t count) = 0;
    // Writes a block and reads each piece back as it is written (when the controller
    // InterleavesReadBack); the memory is left as after WriteBlock and ReadBack.
    virtual bool WriteAndReadBack(MemoryController& controller, uint32_t address,
                                  const uint8_t* data, uint8_t* readBack, int32_t count) = 0;
    // The load was cancelled while connected: leave the memory as the next user expects it.
    virtual void Stop(MemoryController& controller) { (void)controller; }
    // What a cancelled load's status text adds to how far it got (" Erased block: 1; ..."), with
    // its leading blank; empty when there is nothing to add.
    virtual std::string CancelNote() const { return {}; }
};

// The load both pages run. A raw binary file (or its slice) goes to the board from the start
// address on; an Intel HEX or S-record file (known by its name's extension, or by the request's
// format) is read whole first, and a file with a bad record is refused, naming the line, before
// the board is contacted; its runs go to their own addresses (see ImageSource). The data moves in
// blocks of TransferBlockSize ("Loading block: %d", counted over all runs), each optionally
// verified; gaps, and what the target found Matched, are not written. Verify compares the board's
// CRC-32 of each block with the block's where the board computes checksums and the request does
// not ask for read-back; a block whose CRC differs is read back to name its first difference, and
// one that reads back as written fails the load too (the board's checksum is not to be trusted).
// Elsewhere each block is read back and compared. A raw binary slice is read whole before the board
// is contacted; a slice the file does not hold is refused then (LoadOutcome::fileProblem), as is a
// range the target does not accept. A cancel stops it between blocks (between frames on a serial
// line). The final status text is the page's completion or error text, or how far a cancelled load
// got.
LoadOutcome RunLoad(const Session& session, const LoadRequest& request, LoadTarget& target,
                    StatusSink& status, MessageSink& messages, const CancelToken& cancel);

// The load as a page runs it: a slice the file does not hold is shown as the access error it is
// for a page, with the file's problem as its cause. True when the load succeeded.
bool RunPageLoad(const Session& session, const LoadRequest& request, LoadTarget& target,
                 StatusSink& status, MessageSink& messages, const CancelToken& cancel);

} // namespace tessary
