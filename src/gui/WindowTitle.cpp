#include "WindowTitle.h"

namespace tessary {

std::string BuildWindowTitle(const std::string& productName, const std::string& productVersion) {
    constexpr std::size_t kLongestTitle = 255;
    std::string title = productName.empty() ? std::string() : productName + "  ";
    title += productVersion;
    if (title.size() > kLongestTitle) {
        title.resize(kLongestTitle);
    }
    return title;
}

} // namespace tessary
