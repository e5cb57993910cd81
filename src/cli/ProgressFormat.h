#pragma once

#include <cstdint>
#include <string>

namespace tessary::cli {

// What a progress count counts: bytes of a transfer, or Flash blocks of an erase.
enum class ProgressUnit { Bytes, Blocks };

// "52.3 MB/s", "812 kB/s", "17 B/s", "3.5 blocks/s"; "--" while no rate is known (zero or less).
std::string FormatRate(double perSecond, ProgressUnit unit);

// "0:07", "12:34", "1:02:03" for the seconds left; "--:--" when unknown (negative).
std::string FormatTimeLeft(double seconds);

// "[#######.............]": width characters between the brackets, filled in proportion.
std::string FormatBar(int64_t done, int64_t total, int width);

// Whole percent of done in total, 0 to 100 (100 for an empty total).
int Percent(int64_t done, int64_t total);

} // namespace tessary::cli
