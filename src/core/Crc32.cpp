#include "Crc32.h"

#include <array>

namespace tessary {
namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

uint32_t Step(uint32_t state, uint8_t value) {
    return kTable[(state ^ value) & 0xFFu] ^ (state >> 8);
}

} // namespace

void Crc32::Add(const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        state_ = Step(state_, data[i]);
    }
}

void Crc32::AddRepeated(uint8_t value, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        state_ = Step(state_, value);
    }
}

uint32_t Crc32Of(const uint8_t* data, size_t count) {
    Crc32 crc;
    crc.Add(data, count);
    return crc.Value();
}

uint32_t Crc32OfRepeated(uint8_t value, size_t count) {
    Crc32 crc;
    crc.AddRepeated(value, count);
    return crc.Value();
}

} // namespace tessary
