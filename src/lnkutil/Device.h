// A board connection of one kind, as the library's data calls see it. The library checks every
// argument (handle, pointers, counts up to kMaxRepeatBytes and kMaxSetPairs) before it calls a
// device, so a device only moves bytes. A device is created on the first LnkOpenData of its name
// and lives until LnkTerm (a board stays powered); Open and Close bracket each handle, and may
// nest when one device is opened twice. A failed Open is LNK_ERC_OPEN_FAILED, a failed data call
// LNK_ERC_ACCESS_FAILED.
//
// A new kind: derive from Device in its own file and build it in CreateDevice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tessary::lnkutil {

// Most bytes of one repeated call, most pairs of one set call.
inline constexpr size_t kMaxRepeatBytes = 8192;
inline constexpr size_t kMaxSetPairs = 68;
// Most bytes of one checksum call.
inline constexpr size_t kMaxChecksumBytes = 0xFFFFFF;

class Device {
  public:
    virtual ~Device() = default;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Why the last Open failed, in words for the user ("/dev/ttyUSB0: no such device"); empty
    // when the kind has nothing to add.
    virtual std::string OpenFailureText() const { return {}; }
    // Why the last failed data call failed, in words for the user ("/dev/ttyUSB0: request 0x49
    // (...): no reply within 1010 ms"); empty when the kind has nothing to add.
    virtual std::string AccessFailureText() const { return {}; }

    virtual bool PutReg(uint8_t address, uint8_t data) = 0;
    virtual bool PutRegRepeat(uint8_t address, const uint8_t* data, size_t count) = 0;
    virtual bool PutRegSet(const uint8_t* addresses, const uint8_t* data, size_t count) = 0;
    virtual bool GetReg(uint8_t address, uint8_t* data) = 0;
    virtual bool GetRegRepeat(uint8_t address, uint8_t* data, size_t count) = 0;
    virtual bool GetRegSet(const uint8_t* addresses, uint8_t* values, size_t count) = 0;

    // What the board says about itself while it is open; false when it does not answer.
    virtual bool Identity(std::string* text) = 0;
    // The size of the board's Flash, when the board makes it known.
    virtual std::optional<uint32_t> FlashSize() = 0;

    // True when the board computes checksums on its side.
    virtual bool OffersChecksum() = 0;
    // The CRC-32 (Crc32.h) of `count` bytes (1 to kMaxChecksumBytes) read through register
    // `address` from the controller's address on, which advances as for reads; only called when
    // OffersChecksum.
    virtual bool Checksum(uint8_t address, size_t count, uint32_t* crc) = 0;
};

} // namespace tessary::lnkutil
