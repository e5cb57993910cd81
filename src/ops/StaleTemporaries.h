#pragma once

#include <string>

namespace tessary {

// The name of a store's temporary file in `directory`: .tessary-PID-N.tmp.
std::string TemporaryName(const std::string& directory, int pid, unsigned number);

// Removes the temporary files in `directory` whose process no longer runs (a store killed before
// it could clean up). Files of running processes, and names of any other form, are left alone.
void RemoveStaleTemporaries(const std::string& directory);

} // namespace tessary
