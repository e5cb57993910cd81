#include "HexDigits.h"
#include "ImageWriter.h"

#include <algorithm>

namespace tessary::image {
namespace {

constexpr std::size_t kRecordData = 16;

void AppendRecord(std::string& out, uint8_t type, uint16_t offset, const uint8_t* data,
                  std::size_t count) {
    out.push_back(':');
    uint8_t sum = 0;
    auto put = [&](uint8_t byte) {
        AppendHexByte(out, byte);
        sum = static_cast<uint8_t>(sum + byte);
    };
    put(static_cast<uint8_t>(count));
    put(static_cast<uint8_t>(offset >> 8));
    put(static_cast<uint8_t>(offset));
    put(type);
    for (std::size_t i = 0; i < count; ++i) {
        put(data[i]);
    }
    AppendHexByte(out, static_cast<uint8_t>(-sum));
    out.push_back('\n');
}

class IntelHexWriter final : public ImageWriter {
  public:
    void Begin(std::string&) override {}

    void Data(uint32_t address, std::span<const uint8_t> bytes, std::string& out) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const uint32_t at = address + static_cast<uint32_t>(done);
            const uint16_t upper = static_cast<uint16_t>(at >> 16);
            if (upper != upper_) {
                const uint8_t value[2] = {static_cast<uint8_t>(upper >> 8),
                                          static_cast<uint8_t>(upper)};
                AppendRecord(out, 0x04, 0, value, 2);
                upper_ = upper;
            }
            // A record never crosses into the next 64K: its offset field has 16 bits.
            const std::size_t count =
                std::min<std::size_t>({kRecordData, bytes.size() - done, 0x10000 - (at & 0xFFFF)});
            AppendRecord(out, 0x00, static_cast<uint16_t>(at), bytes.data() + done, count);
            done += count;
        }
    }

    void End(std::optional<uint32_t> entryAddress, std::string& out) override {
        if (entryAddress) {
            const uint8_t value[4] = {static_cast<uint8_t>(*entryAddress >> 24),
                                      static_cast<uint8_t>(*entryAddress >> 16),
                                      static_cast<uint8_t>(*entryAddress >> 8),
                                      static_cast<uint8_t>(*entryAddress)};
            AppendRecord(out, 0x05, 0, value, 4);
        }
        AppendRecord(out, 0x01, 0, nullptr, 0);
    }

  private:
    uint16_t upper_ = 0;
};

} // namespace

std::unique_ptr<ImageWriter> MakeIntelHexWriter() {
    return std::make_unique<IntelHexWriter>();
}

} // namespace tessary::image
