#include "ErasedByChecksum.h"

#include "Crc32.h"
#include "MemoryController.h"

namespace tessary {

bool ChecksumShowsErased(MemoryController& controller, uint32_t address, uint32_t size,
                         bool& erased) {
    uint32_t crc = 0;
    if (!controller.ChecksumFlash(address, static_cast<int32_t>(size), crc)) {
        return false;
    }
    erased = crc == Crc32OfRepeated(0xFF, size);
    return true;
}

} // namespace tessary
