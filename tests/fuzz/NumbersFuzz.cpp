// Number texts, as the window's fields and the command line read them.
#include "BlockList.h"
#include "CliNumber.h"
#include "ParseNumber.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The window's rule works on a field of at most 31 characters, cleaned in place.
    std::string field = text.substr(0, 31);
    const int32_t page = tessary::ParseNumber(field);
    if (field.find_first_of(", ") != std::string::npos) {
        std::abort(); // separators are always removed
    }
    (void)page;

    // The command line's: a value it accepts is one the window reads back as the same value.
    const tessary::cli::CliNumber number = tessary::cli::ParseCliNumber(text);
    if (number.value) {
        if (*number.value < 0) {
            std::abort();
        }
        std::string back = tessary::cli::PageText(*number.value);
        if (tessary::ParseNumber(back) != *number.value) {
            std::abort();
        }
    } else if (number.problem.empty()) {
        std::abort();
    }

    // Block lists never hold more indexes than the table has blocks, nor an index past it.
    constexpr int32_t kBlocks = 259;
    const tessary::cli::BlockList list = tessary::cli::ParseBlockList(text, kBlocks);
    if (list.indexes.size() > static_cast<size_t>(kBlocks)) {
        std::abort();
    }
    for (const int32_t index : list.indexes) {
        if (index < 0 || index >= kBlocks) {
            std::abort();
        }
    }
    return 0;
}
