#pragma once

#include "Image.h"
#include "LineSource.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary::image {

// The addresses a board's memory controller reaches: 24 bits.
inline constexpr uint64_t kAddressSpace = 0x1000000;

// Why a file could not be read as an image: the line (counted from 1) and what is wrong with it,
// as "line 12: checksum ...".
struct ReadError {
    int64_t line = 0;
    std::string text;
};

// Reads an Intel HEX file: data records (00) at the addresses that extended segment (02) and
// extended linear (04) records set, the end-of-file record (01), and the start address of 03 or
// 05 as the entry address. Blank lines are allowed. Refuses, naming the line, a record that is
// not well formed (start code, hex digits, length, checksum), an unknown type, data past
// addressSpace, bytes that contradict an earlier record, anything after the end-of-file record
// and a file without one.
bool ReadIntelHex(LineSource& lines, Image& image, ReadError& error,
                  uint64_t addressSpace = kAddressSpace);
bool ReadIntelHex(std::string_view text, Image& image, ReadError& error,
                  uint64_t addressSpace = kAddressSpace);

// Reads a Motorola S-record file: header (S0), data with 16-, 24- and 32-bit addresses
// (S1, S2, S3), the data record counts (S5, S6, checked) and the termination (S7, S8, S9, whose
// address is the entry address). The file must end in a count or termination record (srec_cat
// writes no termination record when it knows no entry address); one that ends in a data record
// was cut short. Otherwise refuses what ReadIntelHex refuses, in S-record terms.
bool ReadSRecord(LineSource& lines, Image& image, ReadError& error,
                 uint64_t addressSpace = kAddressSpace);
bool ReadSRecord(std::string_view text, Image& image, ReadError& error,
                 uint64_t addressSpace = kAddressSpace);

} // namespace tessary::image
