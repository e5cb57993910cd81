// A board on a serial line (kind `serial`: path=<tty or network line>, baud=, window=), spoken
// to with the framed register protocol of Tessary's serial line, the fast one when the board
// announces it; repeated accesses and register lists longer than a frame go out as several
// frames, up to the window's worth in flight, with the fills and run-length reads of a board that
// announces them.
#pragma once

#include "Device.h"
#include "DeviceEntry.h"
#include "SerialLine.h"
#include "SerialOptions.h"
#include "SerialPort.h"

#include <memory>
#include <string>

namespace tessary::lnkutil {

class SerialDevice final : public Device {
  public:
    SerialDevice(std::string name, SerialSettings settings);
    ~SerialDevice() override;

    // The tty is opened by the first Open and closed by the last Close. Why it could not be
    // opened (no such device, permission, busy) goes to stderr.
    bool Open() override;
    void Close() override;
    std::string OpenFailureText() const override { return line_.OpenFailureText(); }
    std::string AccessFailureText() const override { return port_.FailureText(); }

    bool PutReg(uint8_t address, uint8_t data) override;
    bool PutRegRepeat(uint8_t address, const uint8_t* data, size_t count) override;
    bool PutRegSet(const uint8_t* addresses, const uint8_t* data, size_t count) override;
    bool GetReg(uint8_t address, uint8_t* data) override;
    bool GetRegRepeat(uint8_t address, uint8_t* data, size_t count) override;
    bool GetRegSet(const uint8_t* addresses, uint8_t* values, size_t count) override;
    // The board's answer to the identity request; its f= announces the Flash size.
    bool Identity(std::string* text) override;
    std::optional<uint32_t> FlashSize() override;
    // A board that announces x=c computes it on its side.
    bool OffersChecksum() override { return port_.OffersChecksum(); }
    bool Checksum(uint8_t address, size_t count, uint32_t* crc) override;

  private:
    std::string name_;
    std::string path_;
    SerialLine line_;
    SerialPort port_;
    int opens_ = 0;
};

// The device of a `serial` table entry.
std::unique_ptr<Device> CreateSerialDevice(const DeviceEntry& entry);

} // namespace tessary::lnkutil
