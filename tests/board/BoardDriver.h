// A minimal client of the simulated board's register block, written from the controller's
// register map, so that the tests speak to the board the way a host does.
#pragma once

#include "SimBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace tessary::board::test {

class BoardDriver {
  public:
    explicit BoardDriver(SimBoard& board) : board_(board) {}

    uint8_t Reg(uint8_t offset) const {
        return static_cast<uint8_t>(board_.config().registerBase + offset);
    }

    void SetAddress(uint32_t address) {
        const uint8_t regs[] = {Reg(kRegAddressLow), Reg(kRegAddressMid), Reg(kRegAddressHigh)};
        const uint8_t data[] = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address >> 16)};
        ASSERT_TRUE(board_.WriteSet(regs, data, 3));
    }

    // The command write: command byte, strobe on, strobe off, idle.
    void Command(uint8_t command) {
        const uint8_t regs[] = {Reg(kRegFlashCommand), Reg(kRegControl), Reg(kRegControl),
                                Reg(kRegControl)};
        const uint8_t data[] = {command, kControlStrobeOn, kControlStrobeOff, kControlIdle};
        ASSERT_TRUE(board_.WriteSet(regs, data, 4));
    }

    void EraseBlockAt(uint32_t address) {
        SetAddress(address);
        Command(0x20);
        Command(0xD0);
    }

    uint8_t Status() {
        uint8_t status = 0;
        EXPECT_TRUE(board_.WriteRegister(Reg(kRegControl), kControlStatusRead));
        EXPECT_TRUE(board_.ReadRegister(Reg(kRegFlashStatus), &status));
        EXPECT_TRUE(board_.WriteRegister(Reg(kRegControl), kControlIdle));
        return status;
    }

    // Status reads until ready; the number of busy reads seen, or -1 after `limit` reads.
    int WaitReady(int limit = 1000) {
        for (int busy = 0; busy < limit; ++busy) {
            if (Status() & 0x80) {
                return busy;
            }
        }
        return -1;
    }

    void Write(uint8_t offset, uint32_t address, const std::vector<uint8_t>& data) {
        SetAddress(address);
        ASSERT_TRUE(board_.WriteRepeat(Reg(offset), data.data(), data.size()));
    }

    std::vector<uint8_t> Read(uint8_t offset, uint32_t address, size_t count) {
        std::vector<uint8_t> data(count);
        SetAddress(address);
        EXPECT_TRUE(board_.ReadRepeat(Reg(offset), data.data(), count));
        return data;
    }

  private:
    SimBoard& board_;
};

// A clock that stands still until a test moves it; a board sleeping on it moves it at once.
class ManualClock final : public BoardClock {
  public:
    TimePoint Now() const override { return now_; }
    void SleepUntil(TimePoint when) override { now_ = std::max(now_, when); }
    void Advance(std::chrono::nanoseconds time) { now_ += time; }

  private:
    TimePoint now_{std::chrono::hours(1)};
};

inline std::unique_ptr<SimBoard> MakeBoard(const BoardConfig& config = {},
                                           BoardClock& clock = RealClock()) {
    std::string error;
    auto board = SimBoard::Create(config, &error, clock);
    EXPECT_NE(board, nullptr) << error;
    return board;
}

inline std::vector<uint8_t> Pattern(size_t count, uint8_t seed = 1) {
    std::vector<uint8_t> data(count);
    for (size_t i = 0; i < count; ++i) {
        data[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    }
    return data;
}

} // namespace tessary::board::test
