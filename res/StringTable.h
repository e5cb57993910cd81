#pragma once

#include <cstddef>
#include <string>

namespace tessary {

// Ids of the program's shared texts.
enum StringId : int {
    kStrClassName = 1,
    kStrTitle = 2,
    kStrErrorCaption = 3,
    kStrTabLoadRam = 4,
    kStrTabStoreRam = 5,
    kStrTabProperties = 6,
    kStrTabLoadFlash = 7,
    kStrTabStoreFlash = 8,
    kStrTabEraseFlash = 9,
    kStrOutOfMemory = 10,
    kStrFlashError = 11,
    kStrControllerError = 12,
    kStrVerifyFailed = 13,
    kStrVersionQueryPrefix = 14,
};

inline constexpr std::size_t kResStringCapacity = 256;

// Loads entry id into a shared 256-byte buffer, valid until the next call; a missing entry gives
// the empty text.
const char* LoadResString(int id);
// The same into the caller's buffer of capacity bytes (cut to fit, always terminated).
char* LoadResStringInto(int id, std::size_t capacity, char* buffer);
// An owned copy of the entry (empty for a missing entry).
std::string DupResString(int id);

} // namespace tessary
