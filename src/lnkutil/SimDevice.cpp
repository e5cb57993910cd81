#include "SimDevice.h"

#include <iostream>

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

} // namespace tessary::lnkutil
