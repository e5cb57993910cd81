#include "HexDigits.h"
#include "ImageReaders.h"
#include "RecordLines.h"

#include <array>
#include <cstdio>

namespace tessary::image {
namespace {

constexpr std::size_t kMaxRecordBytes = 256; // count and up to 255 counted bytes

// Address bytes of each record type S0 to S9; 0 for the reserved S4.
constexpr std::array<uint8_t, 10> kAddressBytes = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

struct Record {
    std::array<uint8_t, kMaxRecordBytes> bytes{};
    int type = 0;
    uint32_t address = 0;
    const uint8_t* data = nullptr;
    std::size_t dataCount = 0;
};

bool Decode(std::string_view line, Record& record, std::string& why) {
    if (line.size() < 2 || line[0] != 'S') {
        why = "an S-record starts with 'S' and its type digit";
        return false;
    }
    if (line[1] < '0' || line[1] > '9' || line[1] == '4') {
        why = "unknown record type S" + std::string(1, line[1]);
        return false;
    }
    record.type = line[1] - '0';
    const std::string_view digits = line.substr(2);
    const std::size_t count = digits.size() / 2;
    const std::size_t addressBytes = kAddressBytes[static_cast<std::size_t>(record.type)];
    if (digits.size() % 2 != 0 || count < addressBytes + 2 || count > kMaxRecordBytes) {
        why = "the record's length is not that of an S" + std::to_string(record.type) +
              " record (" + std::to_string(digits.size()) + " hex digits)";
        return false;
    }
    std::size_t badAt = 0;
    uint8_t sum = 0;
    if (!DecodeHexBytes(digits, record.bytes.data(), count, badAt, sum)) {
        why = "'" + std::string(1, digits[badAt]) + "' is not a hexadecimal digit";
        return false;
    }
    if (record.bytes[0] != count - 1) {
        why = "the record's byte count says " + std::to_string(record.bytes[0]) +
              ", the line holds " + std::to_string(count - 1);
        return false;
    }
    const auto expected = static_cast<uint8_t>(~(sum - record.bytes[count - 1]));
    if (record.bytes[count - 1] != expected) {
        char text[80];
        std::snprintf(text, sizeof(text),
                      "checksum mismatch: the record has 0x%02X, its bytes "
                      "need 0x%02X",
                      record.bytes[count - 1], expected);
        why = text;
        return false;
    }
    record.address = 0;
    for (std::size_t i = 0; i < addressBytes; ++i) {
        record.address = record.address << 8 | record.bytes[1 + i];
    }
    record.data = record.bytes.data() + 1 + addressBytes;
    record.dataCount = count - 2 - addressBytes;
    return true;
}

class Reader {
  public:
    Reader(Image& image, uint64_t addressSpace) : image_(image), addressSpace_(addressSpace) {}

    bool Take(const Record& record, std::string& why) {
        lastType_ = record.type;
        switch (record.type) {
        case 0:
            return true; // the header names the file; nothing of it goes to memory
        case 1:
        case 2:
        case 3:
            ++dataRecords_;
            return TakeData(record, why);
        case 5:
        case 6:
            // a count too large for its field keeps its low bits
            if (record.address != (dataRecords_ & (record.type == 5 ? 0xFFFFu : 0xFFFFFFu))) {
                why = "the record count says " + std::to_string(record.address) +
                      " data records, the file holds " + std::to_string(dataRecords_) +
                      " before it";
                return false;
            }
            return true;
        default: // 7, 8, 9
            image_.entryAddress = record.address;
            ended_ = true;
            return true;
        }
    }

    bool Ended() const { return ended_; }
    // Tools that know no entry address end the file with the count record instead of a
    // termination record; a file that ends in a data record was cut short.
    bool Complete() const { return ended_ || lastType_ == 5 || lastType_ == 6; }

  private:
    bool TakeData(const Record& record, std::string& why) {
        const uint64_t end = uint64_t{record.address} + record.dataCount;
        if (end > addressSpace_) {
            why = "data at " + HexNumber(record.address) + " to " + HexNumber(end - 1) +
                  " lies past the last address " + HexNumber(addressSpace_ - 1);
            return false;
        }
        if (image_.Add(record.address, {record.data, record.dataCount}) ==
            Image::AddResult::Conflict) {
            why = "data at " + HexNumber(record.address) + " to " + HexNumber(end - 1) +
                  " differs from an earlier record for the same addresses";
            return false;
        }
        return true;
    }

    Image& image_;
    uint64_t addressSpace_;
    uint64_t dataRecords_ = 0;
    int lastType_ = -1;
    bool ended_ = false;
};

} // namespace

bool ReadSRecord(LineSource& lines, Image& image, ReadError& error, uint64_t addressSpace) {
    image.Clear();
    Reader reader(image, addressSpace);
    int64_t lastRecord = 0;
    if (!ReadRecordLines<Record>(lines, reader, Decode, "text after the termination record",
                                 lastRecord, error)) {
        return false;
    }
    if (!reader.Complete()) {
        const int64_t at = lastRecord + 1;
        error = {at, AtLine(at, lastRecord == 0 ? "the file holds no S-record"
                                                : "the file ends without a count record (S5, "
                                                  "S6) or a termination record (S7, S8, S9); it "
                                                  "may be cut short")};
        return false;
    }
    return true;
}

bool ReadSRecord(std::string_view text, Image& image, ReadError& error, uint64_t addressSpace) {
    LineCursor lines(text);
    return ReadSRecord(lines, image, error, addressSpace);
}

} // namespace tessary::image
