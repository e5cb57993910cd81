#pragma once

#include <string>

namespace tessary {

// The main window's title from the program's version information: the product name, two
// blanks and the product version. Without a product name the title is the version alone; at
// most 255 characters.
std::string BuildWindowTitle(const std::string& productName, const std::string& productVersion);

} // namespace tessary
