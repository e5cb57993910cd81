// The C interface of lnkutil_ext.h.
#include "lnkutil_ext.h"

#include "Library.h"
#include "lnkutil_erc.h"

#include <algorithm>
#include <cstring>

namespace {

using tessary::lnkutil::Device;
using tessary::lnkutil::kMaxChecksumBytes;
using tessary::lnkutil::Library;

bool Report(LnkErc* erc, LnkErc code) {
    if (erc != nullptr) {
        *erc = code;
    }
    return code == LNK_ERC_OK;
}

} // namespace

bool ZmgrGetDevSetting(int32_t index, const char* key, char* value, int32_t capacity, LnkErc* erc) {
    if (key == nullptr || value == nullptr) {
        return Report(erc, LNK_ERC_NULL_POINTER);
    }
    std::string text;
    const LnkErc code = Library::Instance().DeviceSetting(index, key, &text);
    if (code != LNK_ERC_OK) {
        return Report(erc, code);
    }
    if (capacity <= 0 || text.size() >= static_cast<size_t>(capacity)) {
        return Report(erc, LNK_ERC_BAD_COUNT);
    }
    std::memcpy(value, text.c_str(), text.size() + 1);
    return Report(erc, LNK_ERC_OK);
}

bool LnkGetIdentity(LnkHandle h, char* text, int32_t capacity, LnkErc* erc) {
    if (text == nullptr) {
        return Report(erc, LNK_ERC_NULL_POINTER);
    }
    if (capacity <= 0) {
        return Report(erc, LNK_ERC_BAD_COUNT);
    }
    const LnkErc code = Library::Instance().WithDevice(h, [&](Device& device) {
        std::string identity;
        if (!device.Identity(&identity)) {
            return false;
        }
        const size_t size = std::min(identity.size(), static_cast<size_t>(capacity) - 1);
        std::memcpy(text, identity.data(), size);
        text[size] = '\0';
        return true;
    });
    return Report(erc, code);
}

bool LnkGetFlashSize(LnkHandle h, uint32_t* bytes, LnkErc* erc) {
    if (bytes == nullptr) {
        return Report(erc, LNK_ERC_NULL_POINTER);
    }
    bool known = true;
    const LnkErc code = Library::Instance().WithDevice(h, [&](Device& device) {
        const auto size = device.FlashSize();
        known = size.has_value();
        *bytes = size.value_or(0);
        return true;
    });
    return Report(erc, code == LNK_ERC_OK && !known ? LNK_ERC_UNSUPPORTED : code);
}

bool LnkBoardChecksum(LnkHandle h, uint8_t address, int32_t count, uint32_t* crc, LnkErc* erc) {
    if (count < 0 || static_cast<size_t>(count) > kMaxChecksumBytes) {
        return Report(erc, LNK_ERC_BAD_COUNT);
    }
    if (crc == nullptr) {
        return Report(erc, LNK_ERC_NULL_POINTER);
    }
    bool offered = true;
    const LnkErc code = Library::Instance().WithDevice(h, [&](Device& device) {
        offered = device.OffersChecksum();
        return !offered || count == 0 || device.Checksum(address, static_cast<size_t>(count), crc);
    });
    return Report(erc, code == LNK_ERC_OK && !offered ? LNK_ERC_UNSUPPORTED : code);
}

bool LnkGetAccessFailure(LnkHandle h, char* text, int32_t capacity) {
    if (text == nullptr || capacity < 1) {
        return false;
    }
    const LnkErc code = Library::Instance().WithDevice(h, [&](Device& device) {
        const std::string failure = device.AccessFailureText();
        const size_t size = std::min(failure.size(), static_cast<size_t>(capacity) - 1);
        failure.copy(text, size);
        text[size] = '\0';
        return true;
    });
    return code == LNK_ERC_OK;
}
