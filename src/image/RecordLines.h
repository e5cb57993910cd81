// The line loop both image readers share: blank lines are skipped, each record is decoded and
// taken in turn, and the first refusal names its line.
#pragma once

#include "HexDigits.h"
#include "ImageReaders.h"
#include "LineSource.h"

#include <cstdint>
#include <string>

namespace tessary::image {

// Feeds every record line of `lines` to `reader` (Ended() and Take(record, why)) after
// `decode(line, record, why)`. False with `error` set at the first refusal, or at a line after
// the end record (`afterEnd` says which). `lastRecord` is the line of the last record taken.
template <typename Record, typename Reader, typename Decoder>
bool ReadRecordLines(LineSource& lines, Reader& reader, Decoder decode, const char* afterEnd,
                     int64_t& lastRecord, ReadError& error) {
    std::string_view line;
    Record record;
    std::string why;
    lastRecord = 0;
    while (lines.Next(line)) {
        if (line.empty()) {
            continue;
        }
        if (reader.Ended()) {
            error = {lines.Number(), AtLine(lines.Number(), afterEnd)};
            return false;
        }
        if (!decode(line, record, why) || !reader.Take(record, why)) {
            error = {lines.Number(), AtLine(lines.Number(), why)};
            return false;
        }
        lastRecord = lines.Number();
    }
    return true;
}

} // namespace tessary::image
