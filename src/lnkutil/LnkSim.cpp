// The C++ extension of lnkutil_sim.h.
#include "lnkutil_sim.h"

#include "Library.h"

void LnkSimSetTraceHook(LnkTraceHook hook) {
    tessary::lnkutil::Library::Instance().SetTraceHook(std::move(hook));
}

tessary::board::SimBoard* LnkSimBoard(const char* device) {
    return tessary::lnkutil::Library::Instance().SimBoardOf(device);
}

void LnkSimReset() {
    tessary::lnkutil::Library::Instance().Term();
    tessary::lnkutil::Library::Instance().SetTraceHook({});
}
