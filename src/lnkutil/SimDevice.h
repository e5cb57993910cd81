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
    SimDevice(std::string name, const board::BoardConfig& config)
        : name_(std::move(name)), config_(config) {}

    // The board, built from its image files the first time it is asked for; null while they
    // cannot be used (an image of another size than the board's memory, say), with the reason
    // in OpenFailureText. The next call tries again.
    board::SimBoard* Board();

    // The board's image files are claimed from the first open handle to the last close, so that
    // no other process loads into or reads from the same memories meanwhile.
    bool Open() override;
    void Close() override;
    std::string OpenFailureText() const override { return failure_; }

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
                std::to_string(board::FlashLayoutSize(config_.flashLayout) / 1024) + "K Flash";
        return true;
    }
    std::optional<uint32_t> FlashSize() override {
        return board::FlashLayoutSize(config_.flashLayout);
    }
    // Offered when the table entry says checksum=yes; computed in this process over what the
    // board's data register gives.
    bool OffersChecksum() override { return config_.checksum; }
    bool Checksum(uint8_t address, size_t count, uint32_t* crc) override;

  private:
    bool Fail(std::string reason);

    std::string name_;
    board::BoardConfig config_;
    std::string failure_;
    std::unique_ptr<board::SimBoard> board_;
    board::ImageClaim claim_;
    int openHandles_ = 0;
};

} // namespace tessary::lnkutil
