// The table of devices the library knows, in the text format of docs/device-table.md:
// one device a line, `name kind [default] [key=value ...]`, '#' starts a comment.
// Loads, edits and saves the same format; free of any user interface so that a configuration
// dialog only has to drive it.
#pragma once

#include "DeviceEntry.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::lnkutil {

class DeviceTable {
  public:
    // The table used when there is no file: one simulated board per Flash layout, the first
    // ("SimBoard", 512K) the default.
    static DeviceTable BuiltIn();

    // Replaces the table with the file's entries; false (table untouched) when there is no
    // regular file to read. Malformed lines are skipped with a one-line warning naming the file and
    // line, quoting at most 80 characters of what it found, control bytes escaped.
    bool Load(const std::string& path, std::ostream& warnings);
    // The same for text already in memory; `source` names it in warnings. With `entryLines`, the
    // 0-based line of each entry taken, in the table's order.
    void Parse(std::string_view text, std::string_view source, std::ostream& warnings,
               std::vector<size_t>* entryLines = nullptr);
    // Writes Format() to the file through a temporary beside it; false with a reason. The folder
    // must exist.
    bool Save(const std::string& path, std::string* error) const;
    std::string Format() const;

    // Editing. Each checks the entry; false with a reason when it is malformed or its name is
    // already taken by another entry. An entry marked default becomes the only default.
    bool Add(DeviceEntry entry, std::string* reason);
    bool Replace(size_t index, DeviceEntry entry, std::string* reason);
    bool Remove(size_t index);
    // -1 = no default device.
    bool SetDefault(int index);

    const std::vector<DeviceEntry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    // Index of the default device, -1 when there is none.
    int DefaultIndex() const;
    // Index of the device of that name, -1 when there is none.
    int Find(std::string_view name) const;

  private:
    bool Check(const DeviceEntry& entry, int self, std::string* reason) const;

    std::vector<DeviceEntry> entries_;
};

// The longest line a table may hold; a longer one is skipped with a warning, unparsed.
inline constexpr size_t kMaxDeviceLine = 4096;

// Splits one line into an entry; false with a reason when it is malformed. A blank or
// comment-only line gives true with an empty name.
bool ParseDeviceLine(std::string_view line, DeviceEntry* entry, std::string* reason);

} // namespace tessary::lnkutil
