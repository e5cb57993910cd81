// The device table file as the configuration dialog reads and writes it: nothing the user had
// is lost by opening the dialog, editing, or failing to save.
#pragma once

#include "DeviceTable.h"

#include <string>
#include <vector>

namespace tessary::lnkutil {

// The table kept in the file at `path`, or the built-in table when there is no such file yet.
// False, with the reason in `problem`, when the file exists but cannot be read. Lines the
// table cannot hold are listed in `skipped` (one warning each).
bool ReadTableForEditing(const std::string& path, DeviceTable* table,
                         std::vector<std::string>* skipped, std::string* problem);

// Writes the table to `path`, creating its folder. With `keepOld`, the file as it was is kept
// beside it as `path`.bak first. False, with the reason in `error`, when it cannot be written;
// the old file is then untouched.
bool SaveTableFile(const std::string& path, const DeviceTable& table, bool keepOld,
                   std::string* error);

} // namespace tessary::lnkutil
