// Request payloads as the simulated board receives them from a line: any bytes must give a reply
// that fits a frame, or none, and leave the board usable; a basic board and a fast one that
// computes checksums, fills and run-length reads on its side get each input. A run-length reply
// stands for 1 to the count asked of bytes, in items that decode.
#include "FrameCodec.h"
#include "RequestHandler.h"
#include "RunLength.h"
#include "SerialProtocol.h"
#include "SimBoard.h"

#include <algorithm>
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

protocol::FastCapabilities Computing() {
    protocol::FastCapabilities fast;
    fast.window = 16;
    fast.maxPayload = protocol::kMaxFastPayload;
    fast.checksum = true;
    fast.fill = true;
    fast.runs = true;
    return fast;
}

// A run-length reply to `request` (0x4C reg n0 n1 n2) stands for 1 to the count asked (and no
// reply's items stand for more than 128 bytes each).
void CheckRuns(const uint8_t* request, const std::vector<uint8_t>& reply) {
    const size_t asked = request[2] | size_t{request[3]} << 8 | size_t{request[4]} << 16;
    std::vector<uint8_t> out(std::min(asked, protocol::kMaxRunItem * reply.size()));
    const int32_t produced =
        protocol::DecodeRuns(reply.data() + 1, static_cast<int>(reply.size() - 1), out.data(),
                             static_cast<int32_t>(out.size()));
    if (produced < 1) {
        std::abort();
    }
}

// The request as the harness hands it on: the counts of the computing requests keep 17 bits (up to
// 128K, the RAM's size). Longer ones only go round the same memory again, for a long while under
// the sanitizers.
std::vector<uint8_t> Clamped(const uint8_t* data, size_t size) {
    std::vector<uint8_t> request(data, data + size);
    if (size == 0) {
        return request;
    }
    const uint8_t command = data[0];
    // Where the count's most significant byte stands.
    const size_t high = command == protocol::kCmdFill ? 5 : 4;
    if ((command == protocol::kCmdChecksum || command == protocol::kCmdFill ||
         command == protocol::kCmdReadRuns) &&
        size > high) {
        request[high] &= 0x01;
    }
    return request;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > frame::kMaxPayload) {
        return 0; // the length byte announces at most 255 payload bytes
    }
    static peer::RequestHandler basic(Board(), "fuzz");
    static peer::RequestHandler fast(Board(), "fuzz", Computing());
    const std::vector<uint8_t> request = Clamped(data, size);
    std::vector<uint8_t> reply;
    for (peer::RequestHandler* handler : {&basic, &fast}) {
        if (!handler->Handle(request.data(), static_cast<int>(size), reply)) {
            continue;
        }
        if (reply.empty() || reply.size() > handler->MaxPayload()) {
            std::abort();
        }
        if (reply[0] == protocol::kReplyRuns) {
            CheckRuns(request.data(), reply);
        }
    }
    return 0;
}
