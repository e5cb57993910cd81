#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The body of a run-length reply (0x87, after its reply code) is a sequence of items, each a
// header byte h and what it stands for:
//   h = 0x00..0x7F: h + 1 bytes follow as they are;
//   h = 0x80..0xFF: one byte follows, standing for (h & 0x7F) + 1 copies of it.
// An erased Flash comes back as `FF FF` for every 128 bytes; data without runs costs one header
// byte per 128.
namespace tessary::protocol {

inline constexpr size_t kMaxRunItem = 128;

// Codes bytes as they are read, into a body of at most `capacity` bytes. The board reads its next
// byte only while Room() says that any byte still fits, so it never reads (and advances its
// address past) a byte its reply could not hold.
class RunEncoder {
  public:
    explicit RunEncoder(size_t capacity) : capacity_(capacity) {}

    bool Room() const { return capacity_ >= body_.size() + 2; }
    void Add(uint8_t value);
    const std::vector<uint8_t>& Body() const { return body_; }
    // The bytes the body stands for.
    size_t Covered() const { return covered_; }

  private:
    size_t capacity_;
    std::vector<uint8_t> body_;
    size_t covered_ = 0;
    size_t item_ = 0; // where the last item's header is
};

// The bytes a body of `length` bytes stands for, into `out` (room for `capacity` bytes): how
// many, or -1 when the body is empty, an item is cut short or it stands for more than capacity.
int32_t DecodeRuns(const uint8_t* body, int length, uint8_t* out, int32_t capacity);

} // namespace tessary::protocol
