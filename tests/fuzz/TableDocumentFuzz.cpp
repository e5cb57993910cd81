// Device table files edited in place, as a user may have written (or mangled) them: a document
// nobody edited gives back every byte, and after an entry is changed, added and removed the text
// reads back as exactly the table the edits made.
#include "TableDocument.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

using namespace tessary::lnkutil;

namespace {

// The document's text, read again, holds the document's table.
void CheckReadsBack(const TableDocument& document) {
    std::ostringstream warnings;
    const TableDocument again = TableDocument::FromText(document.Text(), "again", warnings);
    if (again.table().entries() != document.table().entries()) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::ostringstream warnings;
    TableDocument document = TableDocument::FromText(text, "fuzz.conf", warnings);
    if (document.Text() != text) {
        std::abort();
    }
    std::string reason;
    if (!document.table().entries().empty()) {
        DeviceEntry changed = document.table().entries().front();
        changed.options.emplace_back("base", "0x40");
        if (document.Replace(0, changed, &reason)) {
            CheckReadsBack(document);
        }
        document.SetDefault(0);
        CheckReadsBack(document);
    }
    DeviceEntry added;
    added.name = "FuzzAdded";
    added.options = {{"config", "parvel4"}};
    if (document.Add(added, &reason)) {
        CheckReadsBack(document);
    }
    if (!document.table().entries().empty()) {
        document.Remove(document.table().entries().size() - 1);
        CheckReadsBack(document);
    }
    return 0;
}
