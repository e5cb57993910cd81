// A simulated board in this process.
#pragma once

#include "Device.h"
#include "ImageClaim.h"
#include "SimBoard.h"

#include <memory>
#include <string>

namespace tessary::lnkutil {

class SimDevice final : public Device {
  public:
    SimDevice(std::string name, std::unique_ptr<board::SimBoard> board)
        : name_(std::move(name)), board_(std::move(board)) {}

    board::SimBoard& board() { return *board_; }

    // The board's image files are claimed from the first open handle to the last close, so that
    // no other process loads into or reads from the same memories meanwhile.
    bool Open() override;
    void Close() override;

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
    std::string name_;
    std::unique_ptr<board::SimBoard> board_;
    board::ImageClaim claim_;
    int openHandles_ = 0;
};

} // namespace tessary::lnkutil
