#include "StringTable.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tessary {
namespace {

constexpr std::array<const char*, 15> kEntries = {
    nullptr,
    "Kavrel",
    "Ostrand Tessary",
    "Tessary Error",
    "Load RAM",
    "Store RAM",
    "Properties",
    "Load Flash",
    "Store Flash",
    "Erase Flash",
    "Out of memory",
    "Flash memory error.",
    "Error communicating with the memory controller.",
    "Write verification failed.",
    "\\StringFileInfo\\040904E4\\",
};

const char* Entry(int id) {
    if (id <= 0 || id >= static_cast<int>(kEntries.size())) {
        return "";
    }
    return kEntries[id];
}

char gResBuffer[kResStringCapacity];

} // namespace

char* LoadResStringInto(int id, std::size_t capacity, char* buffer) {
    if (capacity == 0) {
        return buffer;
    }
    const char* text = Entry(id);
    const std::size_t length = std::min(std::strlen(text), capacity - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return buffer;
}

const char* LoadResString(int id) {
    return LoadResStringInto(id, sizeof(gResBuffer), gResBuffer);
}

std::string DupResString(int id) {
    return Entry(id);
}

} // namespace tessary
