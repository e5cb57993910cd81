#include "SimDevice.h"

#include <iostream>

namespace tessary::lnkutil {

bool SimDevice::Open() {
    if (openHandles_ == 0) {
        std::string reason;
        const board::BoardConfig& config = board_->config();
        if (!claim_.Claim({config.ramImage, config.flashImage}, &reason)) {
            std::cerr << "lnkutil: " << name_ << ": " << reason << "\n";
            return false;
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
