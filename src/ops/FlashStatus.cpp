#include "FlashStatus.h"

#include "HexText.h"

namespace tessary {
namespace {

std::string BlockAt(int32_t index, uint32_t address) {
    return "block " + std::to_string(index + 1) + " at " + HexText(address, 6);
}

} // namespace

std::string DescribeEraseFailure(int32_t index, uint32_t address, uint8_t status) {
    std::string bits;
    const auto add = [&bits](const char* name) {
        bits += (bits.empty() ? "" : ", ") + std::string(name);
    };
    if ((status & kFlashStatusEraseError) != 0) {
        add("erase error");
    }
    if ((status & kFlashStatusProgramError) != 0) {
        add("program error");
    }
    if ((status & kFlashStatusVppLow) != 0) {
        add("programming voltage low");
    }
    if ((status & kFlashStatusLocked) != 0) {
        add("block locked");
    }
    std::string text = BlockAt(index, address) + ": status " + HexText(status, 2);
    return bits.empty() ? text : text + " (" + bits + ")";
}

std::string DescribeEraseTimeout(int32_t index, uint32_t address, uint8_t status) {
    return BlockAt(index, address) + " still busy (status " + HexText(status, 2) +
           ") when the wait for the chip ran out";
}

std::string DescribeBlockNotErased(int32_t index, uint32_t address) {
    return BlockAt(index, address) +
           " still holds data after its erase reported success: the board's checksum of the block "
           "is not that of an erased block. Erase the block again; if it still holds data, check "
           "the Flash's write protection and the board's programming supply.";
}

} // namespace tessary
