#include "HexDigits.h"
#include "ImageReaders.h"
#include "RecordLines.h"

#include <array>
#include <cstdio>

namespace tessary::image {
namespace {

constexpr std::size_t kMaxRecordBytes = 255 + 5; // count, address (2), type, data, checksum

// One decoded record: its bytes, and its checksum verified.
struct Record {
    std::array<uint8_t, kMaxRecordBytes> bytes{};
    uint8_t count = 0;
    uint16_t offset = 0;
    uint8_t type = 0;
    const uint8_t* Data() const { return bytes.data() + 4; }
    uint32_t Value() const { // the data field read as a big-endian number (types 02 to 05)
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = value << 8 | Data()[i];
        }
        return value;
    }
};

bool Decode(std::string_view line, Record& record, std::string& why) {
    if (line.empty() || line[0] != ':') {
        why = "an Intel HEX record starts with ':'";
        return false;
    }
    const std::string_view digits = line.substr(1);
    const std::size_t count = digits.size() / 2;
    if (digits.size() % 2 != 0 || count < 5 || count > kMaxRecordBytes) {
        why = "the record's length is not that of an Intel HEX record (" +
              std::to_string(digits.size()) + " hex digits)";
        return false;
    }
    std::size_t badAt = 0;
    uint8_t sum = 0;
    if (!DecodeHexBytes(digits, record.bytes.data(), count, badAt, sum)) {
        why = "'" + std::string(1, digits[badAt]) + "' is not a hexadecimal digit";
        return false;
    }
    record.count = record.bytes[0];
    if (count != std::size_t{record.count} + 5) {
        why = "the record says it holds " + std::to_string(record.count) +
              " data bytes, the line holds " + std::to_string(static_cast<int64_t>(count) - 5);
        return false;
    }
    const auto expected = static_cast<uint8_t>(-(sum - record.bytes[count - 1]));
    if (record.bytes[count - 1] != expected) {
        char text[80];
        std::snprintf(text, sizeof(text),
                      "checksum mismatch: the record has 0x%02X, its bytes "
                      "need 0x%02X",
                      record.bytes[count - 1], expected);
        why = text;
        return false;
    }
    record.offset = static_cast<uint16_t>(record.bytes[1] << 8 | record.bytes[2]);
    record.type = record.bytes[3];
    return true;
}

class Reader {
  public:
    Reader(Image& image, uint64_t addressSpace) : image_(image), addressSpace_(addressSpace) {}

    // False with why set when the record cannot be taken.
    bool Take(const Record& record, std::string& why) {
        switch (record.type) {
        case 0x00:
            return TakeData(record, why);
        case 0x01:
            ended_ = true;
            return Sized(record, 0, why);
        case 0x02:
            linear_ = false;
            base_ = record.Value() << 4;
            return Sized(record, 2, why);
        case 0x03:
            image_.entryAddress = (record.Value() >> 16 << 4) + (record.Value() & 0xFFFF);
            return Sized(record, 4, why);
        case 0x04:
            linear_ = true;
            base_ = record.Value() << 16;
            return Sized(record, 2, why);
        case 0x05:
            image_.entryAddress = record.Value();
            return Sized(record, 4, why);
        default:
            char text[48];
            std::snprintf(text, sizeof(text), "unknown record type 0x%02X", record.type);
            why = text;
            return false;
        }
    }

    bool Ended() const { return ended_; }

  private:
    static bool Sized(const Record& record, uint8_t expected, std::string& why) {
        if (record.count == expected) {
            return true;
        }
        char text[80];
        std::snprintf(text, sizeof(text), "a type 0x%02X record holds %u data bytes, this one %u",
                      record.type, expected, record.count);
        why = text;
        return false;
    }

    bool TakeData(const Record& record, std::string& why) {
        // An extended segment address keeps the offset inside its 64K segment; a linear address
        // simply continues.
        const uint32_t inSegment =
            linear_ ? record.count : std::min<uint32_t>(record.count, 0x10000 - record.offset);
        if (!Put(base_ + record.offset, record.Data(), inSegment, why)) {
            return false;
        }
        return inSegment == record.count ||
               Put(base_, record.Data() + inSegment, record.count - inSegment, why);
    }

    bool Put(uint64_t address, const uint8_t* data, uint32_t count, std::string& why) {
        if (count == 0) {
            return true;
        }
        if (address + count > addressSpace_) {
            why = "data at " + HexNumber(address) + " to " + HexNumber(address + count - 1) +
                  " lies past the last address " + HexNumber(addressSpace_ - 1);
            return false;
        }
        if (image_.Add(static_cast<uint32_t>(address), {data, count}) ==
            Image::AddResult::Conflict) {
            why = "data at " + HexNumber(address) + " to " + HexNumber(address + count - 1) +
                  " differs from an earlier record for the same addresses";
            return false;
        }
        return true;
    }

    Image& image_;
    uint64_t addressSpace_;
    uint64_t base_ = 0;
    bool linear_ = true;
    bool ended_ = false;
};

} // namespace

bool ReadIntelHex(LineSource& lines, Image& image, ReadError& error, uint64_t addressSpace) {
    image.Clear();
    Reader reader(image, addressSpace);
    int64_t lastRecord = 0;
    if (!ReadRecordLines<Record>(lines, reader, Decode, "text after the end-of-file record",
                                 lastRecord, error)) {
        return false;
    }
    if (!reader.Ended()) {
        const int64_t at = lastRecord + 1;
        error = {at, AtLine(at, lastRecord == 0 ? "the file holds no Intel HEX record"
                                                : "the file ends without the end-of-file "
                                                  "record (:00000001FF); it may be cut short")};
        return false;
    }
    return true;
}

bool ReadIntelHex(std::string_view text, Image& image, ReadError& error, uint64_t addressSpace) {
    LineCursor lines(text);
    return ReadIntelHex(lines, image, error, addressSpace);
}

} // namespace tessary::image
