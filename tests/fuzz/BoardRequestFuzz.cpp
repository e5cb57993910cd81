// Request payloads as the simulated board receives them from a line: any bytes must give a reply
// that fits a frame, or none, and leave the board usable.
#include "FrameCodec.h"
#include "RequestHandler.h"
#include "SimBoard.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace tessary;

namespace {

board::SimBoard& Board() {
    static std::unique_ptr<board::SimBoard> board = [] {
        board::BoardConfig config;
        config.timeScale = 0; // the requests are under test, not the chip's times
        std::string error;
        auto made = board::SimBoard::Create(config, &error);
        if (!made) {
            std::abort();
        }
        return made;
    }();
    return *board;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > frame::kMaxPayload) {
        return 0; // the length byte announces at most 255 payload bytes
    }
    static peer::RequestHandler handler(Board(), "fuzz");
    std::vector<uint8_t> reply;
    if (handler.Handle(data, static_cast<int>(size), reply) &&
        (reply.empty() || reply.size() > static_cast<size_t>(frame::kMaxPayload))) {
        std::abort();
    }
    return 0;
}
