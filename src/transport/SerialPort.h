#pragma once

#include "RegisterPort.h"

namespace tessary {

class SerialLine;

// A RegisterPort over a serial line: every operation sends one request frame and waits for one
// reply frame. The line belongs to the caller; the port only uses it. A repeated access or a
// register list that does not fit one frame is refused with kErrFrameTooLong before anything is
// sent (FramedAccess.h carries longer ones as several frames).
class SerialPort final : public RegisterPort {
  public:
    bool Initialize(SerialLine& line);
    void Uninitialize() override;
    // Opens the line at the device name.
    bool Open() override;
    // Opens the line at `path`, which may be longer than the device-name field holds (as the
    // /dev/serial/by-id/ names of USB adapters are).
    bool OpenPath(const char* path);
    bool Close() override;
    bool Probe(bool& present) override;
    bool GetIdentity(int capacity, char* text) override;
    bool PutReg(uint8_t address, uint8_t data) override;
    bool PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) override;
    bool PutRegSet(int32_t count, const RegisterPair* pairs) override;
    bool GetReg(uint8_t address, uint8_t& data) override;
    bool GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) override;
    bool GetRegSet(int32_t count, RegisterPair* pairs) override;

  private:
    // Sends `requestLength` payload bytes from `buffer` and receives the reply into it; true
    // when the reply carries `expected` as its code. `replyLength` is the reply's payload size.
    bool Exchange(uint8_t* buffer, int requestLength, uint8_t expected, int& replyLength);
    bool LineFailed();
    // True for 0; otherwise keeps the error code and returns false.
    bool Taken(int32_t refused);

    SerialLine* line_ = nullptr;
};

} // namespace tessary
