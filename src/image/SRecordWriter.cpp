#include "HexDigits.h"
#include "ImageWriter.h"

#include <algorithm>

namespace tessary::image {
namespace {

constexpr std::size_t kRecordData = 16;

std::size_t AddressBytes(SRecordWidth width) {
    return width == SRecordWidth::Bits16 ? 2 : width == SRecordWidth::Bits24 ? 3 : 4;
}

void AppendRecord(std::string& out, char type, uint32_t address, std::size_t addressBytes,
                  const uint8_t* data, std::size_t count) {
    out.push_back('S');
    out.push_back(type);
    unsigned sum = 0;
    auto put = [&](uint8_t byte) {
        AppendHexByte(out, byte);
        sum += byte;
    };
    put(static_cast<uint8_t>(addressBytes + count + 1));
    for (std::size_t i = addressBytes; i-- > 0;) {
        put(static_cast<uint8_t>(address >> (8 * i)));
    }
    for (std::size_t i = 0; i < count; ++i) {
        put(data[i]);
    }
    AppendHexByte(out, static_cast<uint8_t>(~sum));
    out.push_back('\n');
}

class SRecordWriter final : public ImageWriter {
  public:
    explicit SRecordWriter(SRecordWidth width) : width_(width) {}

    void Begin(std::string& out) override { AppendRecord(out, '0', 0, 2, nullptr, 0); }

    void Data(uint32_t address, std::span<const uint8_t> bytes, std::string& out) override {
        const char type = static_cast<char>('0' + AddressBytes(width_) - 1);
        for (std::size_t done = 0; done < bytes.size(); done += kRecordData) {
            const std::size_t count = std::min(kRecordData, bytes.size() - done);
            AppendRecord(out, type, address + static_cast<uint32_t>(done), AddressBytes(width_),
                         bytes.data() + done, count);
            ++records_;
        }
    }

    void End(std::optional<uint32_t> entryAddress, std::string& out) override {
        if (records_ <= 0xFFFF) {
            AppendRecord(out, '5', static_cast<uint32_t>(records_), 2, nullptr, 0);
        } else if (records_ <= 0xFFFFFF) {
            AppendRecord(out, '6', static_cast<uint32_t>(records_), 3, nullptr, 0);
        }
        const char type = static_cast<char>('0' + 11 - AddressBytes(width_));
        AppendRecord(out, type, entryAddress.value_or(0), AddressBytes(width_), nullptr, 0);
    }

  private:
    SRecordWidth width_;
    uint64_t records_ = 0;
};

} // namespace

std::unique_ptr<ImageWriter> MakeSRecordWriter(SRecordWidth width) {
    return std::make_unique<SRecordWriter>(width);
}

SRecordWidth NarrowestWidth(uint64_t end) {
    if (end <= WidthEnd(SRecordWidth::Bits16)) {
        return SRecordWidth::Bits16;
    }
    return end <= WidthEnd(SRecordWidth::Bits24) ? SRecordWidth::Bits24 : SRecordWidth::Bits32;
}

uint64_t WidthEnd(SRecordWidth width) {
    return uint64_t{1} << (8 * AddressBytes(width));
}

} // namespace tessary::image
