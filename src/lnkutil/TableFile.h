// The device table file as the configuration dialog reads and writes it: nothing the user had
// is lost by opening the dialog, editing, or failing to save.
#pragma once

#include "TableDocument.h"

#include <string>
#include <vector>

namespace tessary::lnkutil {

// The file at `path` as a document to edit in place, or a new document holding the built-in table
// when there is no such file yet. False, with the reason in `problem`, when the file exists but
// cannot be read. Lines the table cannot take are listed in `skipped` (one warning each); they
// stay in the file as they are.
bool ReadTableForEditing(const std::string& path, TableDocument* document,
                         std::vector<std::string>* skipped, std::string* problem);

// Writes the document to `path` through a temporary file beside it, creating the folder. A file
// already there is kept as `path`.bak first. False, with the reason in `error`, when it cannot be
// written; the old file is then untouched.
bool SaveTableFile(const std::string& path, const TableDocument& document, std::string* error);

} // namespace tessary::lnkutil
