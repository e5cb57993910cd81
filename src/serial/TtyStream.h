#pragma once

#include "DescriptorStream.h"

#include <memory>
#include <string>

namespace tessary {

// A tty held for this program alone, set up as ConfigureTty sets it (raw, 8N1, the rate, DTR
// and RTS off). Bytes that reached it before it was opened are dropped.
class TtyStream : public DescriptorStream {
  public:
    // Nothing, with errno set, when the tty cannot be opened, is held by another program or is no
    // tty, or its driver refuses the rate.
    static std::unique_ptr<TtyStream> Open(const std::string& path, uint32_t baud);
    ~TtyStream() override;

  private:
    explicit TtyStream(int fd) : DescriptorStream(fd) {}
    ssize_t Put(const uint8_t* bytes, size_t count) override;
    ssize_t Get(uint8_t* buffer, size_t count) override;
};

} // namespace tessary
