#include "ProgressFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tessary::cli {

std::string FormatRate(double perSecond, ProgressUnit unit) {
    if (!(perSecond > 0)) {
        return "--";
    }
    char text[32];
    if (unit == ProgressUnit::Blocks) {
        std::snprintf(text, sizeof(text), "%.1f blocks/s", perSecond);
        return text;
    }
    if (perSecond >= 1e6) {
        std::snprintf(text, sizeof(text), "%.1f MB/s", perSecond / 1e6);
    } else if (perSecond >= 1e3) {
        std::snprintf(text, sizeof(text), "%.0f kB/s", perSecond / 1e3);
    } else {
        std::snprintf(text, sizeof(text), "%.0f B/s", perSecond);
    }
    return text;
}

std::string FormatTimeLeft(double seconds) {
    if (seconds < 0 || !std::isfinite(seconds)) {
        return "--:--";
    }
    const auto whole = static_cast<long long>(std::ceil(seconds));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof(text), "%lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}

int Percent(int64_t done, int64_t total) {
    if (total <= 0) {
        return 100;
    }
    const int64_t clamped = std::clamp<int64_t>(done, 0, total);
    return static_cast<int>(clamped * 100 / total);
}

std::string FormatBar(int64_t done, int64_t total, int width) {
    const int64_t clamped = total <= 0 ? 1 : std::clamp<int64_t>(done, 0, total);
    const int64_t filled = total <= 0 ? width : clamped * width / total;
    std::string bar = "[";
    bar.append(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    bar += ']';
    return bar;
}

} // namespace tessary::cli
