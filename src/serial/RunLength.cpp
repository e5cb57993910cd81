#include "RunLength.h"

#include <cstring>

namespace tessary::protocol {

namespace {

constexpr uint8_t kRunFlag = 0x80;

} // namespace

void RunEncoder::Add(uint8_t value) {
    ++covered_;
    if (!body_.empty()) {
        const uint8_t header = body_[item_];
        const bool run = (header & kRunFlag) != 0;
        const size_t count = (header & 0x7Fu) + 1u;
        if (run && body_.back() == value && count < kMaxRunItem) {
            ++body_[item_];
            return;
        }
        if (!run && body_.back() == value) {
            // The literal's last byte and this one become a run of two.
            if (count == 1) {
                body_[item_] = kRunFlag | 1u;
                return;
            }
            --body_[item_];
            body_.back() = kRunFlag | 1u;
            item_ = body_.size() - 1;
            body_.push_back(value);
            return;
        }
        if (!run && count < kMaxRunItem) {
            ++body_[item_];
            body_.push_back(value);
            return;
        }
    }
    item_ = body_.size();
    body_.push_back(0);
    body_.push_back(value);
}

int32_t DecodeRuns(const uint8_t* body, int length, uint8_t* out, int32_t capacity) {
    if (length <= 0) {
        return -1;
    }
    int32_t produced = 0;
    for (int at = 0; at < length;) {
        const uint8_t header = body[at++];
        const auto count = static_cast<int32_t>((header & 0x7Fu) + 1u);
        const bool run = (header & kRunFlag) != 0;
        const int needs = run ? 1 : count;
        if (length - at < needs || capacity - produced < count) {
            return -1;
        }
        if (run) {
            std::memset(out + produced, body[at], static_cast<size_t>(count));
        } else {
            std::memcpy(out + produced, body + at, static_cast<size_t>(count));
        }
        at += needs;
        produced += count;
    }
    return produced;
}

} // namespace tessary::protocol
