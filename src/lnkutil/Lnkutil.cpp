// The C interface of lnkutil.h: argument checks, then the library state and the devices.
#include "lnkutil.h"

#include "Library.h"
#include "lnkutil_erc.h"

#include <algorithm>
#include <string>

namespace {

using tessary::lnkutil::Device;
using tessary::lnkutil::kMaxRepeatBytes;
using tessary::lnkutil::kMaxSetPairs;
using tessary::lnkutil::Library;

bool Report(LnkErc* erc, LnkErc code) {
    if (erc != nullptr) {
        *erc = code;
    }
    return code == LNK_ERC_OK;
}

// Checks the arguments of a data call before anything is touched.
LnkErc CheckData(int32_t count, size_t maxCount, const void* first, const void* second,
                 const void* reserved) {
    if (reserved != nullptr) {
        return LNK_ERC_RESERVED;
    }
    if (count < 0 || static_cast<size_t>(count) > maxCount) {
        return LNK_ERC_BAD_COUNT;
    }
    if (first == nullptr || second == nullptr) {
        return LNK_ERC_NULL_POINTER;
    }
    return LNK_ERC_OK;
}

struct TraceArgs {
    LnkTraceCall call;
    LnkHandle handle;
    uint8_t address;
    const uint8_t* addresses;
    const uint8_t* data;
    int32_t count;
    bool isRead;
};

// Reports a finished call to the trace hook; spans only over arrays the checks accepted.
bool Finish(const TraceArgs& args, LnkErc checked, LnkErc code, LnkErc* erc) {
    Library& library = Library::Instance();
    if (library.tracing()) {
        const bool usable = checked == LNK_ERC_OK;
        const size_t size = usable ? static_cast<size_t>(args.count) : 0;
        const bool haveData = usable && (!args.isRead || code == LNK_ERC_OK);
        LnkTraceEvent event{args.call,
                            args.handle,
                            args.address,
                            {args.addresses, args.addresses != nullptr ? size : 0},
                            {args.data, haveData ? size : 0},
                            args.count,
                            code == LNK_ERC_OK,
                            code};
        library.Trace(event);
    }
    return Report(erc, code);
}

template <class Call>
bool DataCall(const TraceArgs& args, LnkErc checked, LnkErc* erc, Call&& call) {
    const LnkErc code =
        checked == LNK_ERC_OK ? Library::Instance().WithDevice(args.handle, call) : checked;
    return Finish(args, checked, code, erc);
}

} // namespace

extern "C" {

bool LnkInit(LnkErc* erc) {
    return Report(erc, Library::Instance().Init());
}

void LnkTerm(void) {
    Library::Instance().Term();
}

int32_t ZmgrGetDevCount(LnkErc* erc) {
    int32_t count = 0;
    Report(erc, Library::Instance().DeviceCount(&count));
    return count;
}

bool ZmgrGetDevName(int32_t index, char* name, LnkErc* erc) {
    if (name == nullptr) {
        return Report(erc, LNK_ERC_NULL_POINTER);
    }
    return Report(erc, Library::Instance().DeviceName(index, name));
}

int32_t ZmgrGetDefaultDev(LnkErc* erc) {
    int32_t index = -1;
    Report(erc, Library::Instance().DefaultDevice(&index));
    return index;
}

bool LnkOpenData(LnkHandle* handle, const char* device, LnkErc* erc, void* reserved) {
    if (handle == nullptr || device == nullptr) {
        return Report(erc, LNK_ERC_NULL_POINTER);
    }
    if (reserved != nullptr) {
        *handle = 0;
        return Report(erc, LNK_ERC_RESERVED);
    }
    return Report(erc, Library::Instance().Open(device, handle));
}

bool LnkGetOpenFailure(char* text, int32_t capacity) {
    if (text == nullptr || capacity < 1) {
        return false;
    }
    const std::string failure = Library::Instance().LastOpenFailure();
    const size_t length = std::min(failure.size(), static_cast<size_t>(capacity) - 1);
    failure.copy(text, length);
    text[length] = '\0';
    return true;
}

bool LnkCloseData(LnkHandle handle, LnkErc* erc) {
    return Report(erc, Library::Instance().Close(handle));
}

bool LnkPutReg(LnkHandle h, uint8_t address, uint8_t data, LnkErc* erc, void* reserved) {
    const TraceArgs args{LnkTraceCall::PutReg, h, address, nullptr, &data, 1, false};
    return DataCall(args, CheckData(1, 1, &data, &data, reserved), erc,
                    [&](Device& d) { return d.PutReg(address, data); });
}

bool LnkPutRegRepeat(LnkHandle h, uint8_t address, const uint8_t* data, int32_t count, LnkErc* erc,
                     void* reserved) {
    const TraceArgs args{LnkTraceCall::PutRegRepeat, h, address, nullptr, data, count, false};
    return DataCall(
        args, CheckData(count, kMaxRepeatBytes, data, data, reserved), erc,
        [&](Device& d) { return d.PutRegRepeat(address, data, static_cast<size_t>(count)); });
}

bool LnkPutRegSet(LnkHandle h, const uint8_t* addresses, const uint8_t* data, int32_t count,
                  LnkErc* erc, void* reserved) {
    const TraceArgs args{LnkTraceCall::PutRegSet, h, 0, addresses, data, count, false};
    return DataCall(
        args, CheckData(count, kMaxSetPairs, addresses, data, reserved), erc,
        [&](Device& d) { return d.PutRegSet(addresses, data, static_cast<size_t>(count)); });
}

bool LnkGetReg(LnkHandle h, uint8_t address, uint8_t* data, LnkErc* erc, void* reserved) {
    const TraceArgs args{LnkTraceCall::GetReg, h, address, nullptr, data, 1, true};
    return DataCall(args, CheckData(1, 1, data, data, reserved), erc,
                    [&](Device& d) { return d.GetReg(address, data); });
}

bool LnkGetRegRepeat(LnkHandle h, uint8_t address, uint8_t* data, int32_t count, LnkErc* erc,
                     void* reserved) {
    const TraceArgs args{LnkTraceCall::GetRegRepeat, h, address, nullptr, data, count, true};
    return DataCall(
        args, CheckData(count, kMaxRepeatBytes, data, data, reserved), erc,
        [&](Device& d) { return d.GetRegRepeat(address, data, static_cast<size_t>(count)); });
}

bool LnkGetRegSet(LnkHandle h, const uint8_t* addresses, uint8_t* values, int32_t count,
                  LnkErc* erc, void* reserved) {
    const TraceArgs args{LnkTraceCall::GetRegSet, h, 0, addresses, values, count, true};
    return DataCall(
        args, CheckData(count, kMaxSetPairs, addresses, values, reserved), erc,
        [&](Device& d) { return d.GetRegSet(addresses, values, static_cast<size_t>(count)); });
}

} // extern "C"
