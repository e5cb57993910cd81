// Tessary's own C++ extension of lnkutil for tests, benchmarks and demos; not part of the C
// interface of lnkutil.h, and not offered by other lnkutil implementations.
#ifndef LNKUTIL_SIM_H
#define LNKUTIL_SIM_H

#ifndef __cplusplus
#error "lnkutil_sim.h is a C++ header"
#endif

#include "lnkutil.h"

#include <cstdint>
#include <functional>
#include <span>

namespace tessary::board {
class SimBoard;
}

enum class LnkTraceCall { PutReg, PutRegRepeat, PutRegSet, GetReg, GetRegRepeat, GetRegSet };

// One data call as it crossed the library boundary. The spans point into the caller's arrays
// and are valid only while the hook runs.
struct LnkTraceEvent {
    LnkTraceCall call;
    LnkHandle handle;
    uint8_t address;                    // register of single and repeated calls
    std::span<const uint8_t> addresses; // registers of set calls (empty when not usable)
    std::span<const uint8_t> data;      // bytes written, or bytes read when the call succeeded
    int32_t count;                      // as passed (1 for single calls)
    bool result;
    LnkErc erc;
};

using LnkTraceHook = std::function<void(const LnkTraceEvent&)>;

// Every later data call is reported to `hook` after it has run; an empty hook stops tracing.
void LnkSimSetTraceHook(LnkTraceHook hook);

// The live simulated board behind a sim device of the table, powered on if it was not yet, so
// that faults, busy reads and locked blocks can be set and the memories inspected. Null when
// the library is not initialised or the name is not a sim device. Valid until LnkTerm.
tessary::board::SimBoard* LnkSimBoard(const char* device);

// Back to the state before LnkInit: LnkTerm, and the trace hook removed.
void LnkSimReset();

#endif // LNKUTIL_SIM_H
