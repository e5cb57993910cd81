// A simulated board in this process.
#pragma once

#include "Device.h"
#include "SimBoard.h"

#include <memory>

namespace tessary::lnkutil {

class SimDevice final : public Device {
  public:
    explicit SimDevice(std::unique_ptr<board::SimBoard> board) : board_(std::move(board)) {}

    board::SimBoard& board() { return *board_; }

    bool Open() override { return true; }
    void Close() override {}

    bool PutReg(uint8_t address, uint8_t data) override {
        return board_->WriteRegister(address, data);
    }
    bool PutRegRepeat(uint8_t address, const uint8_t* data, size_t count) override {
        return board_->WriteRepeat(address, data, count);
    }
    bool PutRegSet(const uint8_t* addresses, const uint8_t* data, size_t count) override {
        return board_->WriteSet(addresses, data, count);
    }
    bool GetReg(uint8_t address, uint8_t* data) override {
        return board_->ReadRegister(address, data);
    }
    bool GetRegRepeat(uint8_t address, uint8_t* data, size_t count) override {
        return board_->ReadRepeat(address, data, count);
    }
    bool GetRegSet(const uint8_t* addresses, uint8_t* values, size_t count) override {
        return board_->ReadSet(addresses, values, count);
    }

    bool Identity(std::string* text) override {
        *text = "Tessary simulated board, " +
                std::to_string(board::FlashLayoutSize(board_->config().flashLayout) / 1024) +
                "K Flash";
        return true;
    }
    std::optional<uint32_t> FlashSize() override {
        return board::FlashLayoutSize(board_->config().flashLayout);
    }

  private:
    std::unique_ptr<board::SimBoard> board_;
};

} // namespace tessary::lnkutil
