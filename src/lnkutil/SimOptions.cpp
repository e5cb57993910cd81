#include "SimOptions.h"
#include "QuoteText.h"

#include "BoardSettings.h"
#include "MemoryConfigurations.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace tessary::lnkutil {
namespace {

std::optional<uint64_t> ParseUnsigned(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ParseYesNo(std::string_view text) {
    if (text == "yes" || text == "true" || text == "1") {
        return true;
    }
    if (text == "no" || text == "false" || text == "0") {
        return false;
    }
    return std::nullopt;
}

bool ParseBlockList(std::string_view text, std::vector<uint32_t>* blocks) {
    while (true) {
        const size_t comma = text.find(',');
        const auto block = ParseUnsigned(text.substr(0, comma));
        if (!block || *block > UINT32_MAX) {
            return false;
        }
        blocks->push_back(static_cast<uint32_t>(*block));
        if (comma == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(comma + 1);
    }
}

bool ApplyOption(const std::string& key, const std::string& value, board::BoardConfig* config) {
    if (key == "time-scale") {
        const auto scale = ParseTimeScale(value);
        config->timeScale = scale.value_or(config->timeScale);
        return scale.has_value();
    }
    if (key == "flash") {
        const auto layout = board::ParseFlashLayout(value);
        config->flashLayout = layout.value_or(config->flashLayout);
        return layout.has_value();
    }
    if (key == "locked") {
        config->lockedBlocks.clear();
        return ParseBlockList(value, &config->lockedBlocks);
    }
    if (key == "never-ready" || key == "checksum") {
        const auto yes = ParseYesNo(value);
        (key == "checksum" ? config->checksum : config->neverReady) = yes.value_or(false);
        return yes.has_value();
    }
    if (key == "base") {
        const auto base = ParseRegisterBaseSetting(value);
        config->registerBase = base.value_or(0);
        return base.has_value();
    }
    const auto number = ParseUnsigned(value);
    if (!number) {
        return false;
    }
    if (key == "busy" || key == "program-us" || key == "erase-ms") {
        uint32_t& field = key == "busy"         ? config->busyReads
                          : key == "program-us" ? config->programMicros
                                                : config->eraseMillis;
        field = static_cast<uint32_t>(*number);
        return *number <= UINT32_MAX;
    }
    if (key == "speed") {
        config->bytesPerSecond = *number;
    } else if (key == "fail-access") {
        config->faults.failAccess = *number;
    } else if (key == "flip-byte") {
        config->faults.flipByte = *number;
    } else if (key == "flip-from") {
        config->faults.flipFrom = *number;
    } else {
        return false;
    }
    return true;
}

bool IsKnownKey(std::string_view key) {
    for (std::string_view known :
         {"flash", "base", "busy", "locked", "never-ready", "speed", "fail-access", "flip-byte",
          "flip-from", "program-us", "erase-ms", "time-scale", "checksum"}) {
        if (key == known) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<double> ParseTimeScale(std::string_view text) {
    double scale = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), scale);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(scale) || scale < 0) {
        return std::nullopt;
    }
    return scale;
}

std::optional<double> SimTimeScaleOfEnvironment(std::ostream& warnings) {
    const char* text = std::getenv("LNKUTIL_SIM_TIME_SCALE");
    if (text == nullptr || text[0] == '\0') {
        return std::nullopt;
    }
    const auto scale = ParseTimeScale(text);
    if (!scale) {
        warnings << "lnkutil: warning: LNKUTIL_SIM_TIME_SCALE='" << QuoteForMessage(text)
                 << "' is not a number of 0 or more; the simulated boards keep their times\n";
    }
    return scale;
}

bool ParseSimOptions(const DeviceOptions& options, board::BoardConfig* config,
                     std::string* reason) {
    for (const auto& [key, value] : options) {
        if (key == "config") {
            if (!CheckBoardSetting(key, value, reason)) {
                return false;
            }
            config->ramSize = FindConfiguration(value)->ramSize;
            continue;
        }
        if (!IsKnownKey(key)) {
            *reason = "unknown sim setting '" + QuoteForMessage(key) + "'";
            return false;
        }
        if (!ApplyOption(key, value, config)) {
            *reason = "bad value '" + QuoteForMessage(value) + "' for " + key;
            return false;
        }
    }
    const size_t blockCount = board::FlashBlockSizes(config->flashLayout).size();
    for (uint32_t block : config->lockedBlocks) {
        if (block >= blockCount) {
            *reason = "locked block " + std::to_string(block) + " beyond the Flash's " +
                      std::to_string(blockCount) + " blocks";
            return false;
        }
    }
    return true;
}

} // namespace tessary::lnkutil
