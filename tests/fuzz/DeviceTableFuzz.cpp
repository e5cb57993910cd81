// Device tables as a user may have written (or mangled) them: parsing never fails to end, every
// entry it keeps is valid and unique, and every warning is one short line of printable text.
#include "DeviceTable.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

using namespace tessary::lnkutil;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    DeviceTable table;
    std::ostringstream warnings;
    table.Parse(text, "fuzz.conf", warnings);

    std::set<std::string> names;
    int defaults = 0;
    for (const DeviceEntry& entry : table.entries()) {
        std::string reason;
        if (!ValidateEntry(entry, &reason) || !names.insert(entry.name).second) {
            std::abort();
        }
        defaults += entry.isDefault ? 1 : 0;
    }
    if (defaults > 1) {
        std::abort();
    }
    std::istringstream lines(warnings.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 500) {
            std::abort();
        }
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F) {
                std::abort();
            }
        }
    }
    // What it formats, it reads back the same.
    DeviceTable again;
    std::ostringstream none;
    again.Parse(table.Format(), "formatted", none);
    if (again.Format() != table.Format() || !none.str().empty()) {
        std::abort();
    }
    return 0;
}
