#include "SimDevice.h"

#include "Crc32.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace tessary::lnkutil {

board::SimBoard* SimDevice::Board() {
    if (!board_) {
        std::string reason;
        board_ = board::SimBoard::Create(config_, &reason);
        if (!board_) {
            Fail(reason);
        }
    }
    return board_.get();
}

bool SimDevice::Fail(std::string reason) {
    std::cerr << "lnkutil: " << name_ << ": " << reason << "\n";
    failure_ = std::move(reason);
    return false;
}

bool SimDevice::Open() {
    failure_.clear();
    if (Board() == nullptr) {
        return false;
    }
    if (openHandles_ == 0) {
        std::string reason;
        const board::BoardConfig& config = board_->config();
        if (!claim_.Claim({config.ramImage, config.flashImage}, &reason)) {
            return Fail(reason);
        }
    }
    ++openHandles_;
    return true;
}

void SimDevice::Close() {
    if (openHandles_ > 0 && --openHandles_ == 0) {
        claim_.Release();
    }
}

bool SimDevice::Checksum(uint8_t address, size_t count, uint32_t* crc) {
    // Read as the board reads: through its data register, so the address advances.
    constexpr size_t kStep = 4096;
    std::vector<uint8_t> step(std::min(count, kStep));
    Crc32 sum;
    for (size_t done = 0; done < count;) {
        const size_t size = std::min(count - done, kStep);
        if (!board_->ReadRepeat(address, step.data(), size)) {
            return false;
        }
        sum.Add(step.data(), size);
        done += size;
    }
    *crc = sum.Value();
    return true;
}

} // namespace tessary::lnkutil
