#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary {

// The CRC-32 of Ethernet (IEEE 802.3), as zlib computes it: the reflected polynomial 0xEDB88320,
// a start value of all ones, the result complemented; "123456789" gives 0xCBF43926. The board
// computes the same over bytes it reads, so the host compares a piece with a few bytes.
class Crc32 {
  public:
    void Add(const uint8_t* data, size_t count);
    // `count` copies of `value`, as an erased block (0xFF) or a filled run holds them.
    void AddRepeated(uint8_t value, size_t count);
    uint32_t Value() const { return ~state_; }

  private:
    uint32_t state_ = 0xFFFFFFFFu;
};

uint32_t Crc32Of(const uint8_t* data, size_t count);
// The CRC-32 of `count` copies of `value`.
uint32_t Crc32OfRepeated(uint8_t value, size_t count);

} // namespace tessary
