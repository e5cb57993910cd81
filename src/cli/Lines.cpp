#include "Lines.h"

#include "DeviceLibrary.h"
#include "LineProbe.h"
#include "QuoteText.h"
#include "RecentLines.h"
#include "Refuse.h"
#include "Settings.h"
#include "Sinks.h"
#include "lnkutil.h"
#include "lnkutil_erc.h"
#include "lnkutil_ext.h"

#include <cstdlib>

namespace tessary::cli {
namespace {

void Fail(MessageSink& messages, const std::string& text) {
    messages.ShowMessage(text, "", MessageIcon::Error, true);
}

int ProbeDevice(const std::string& name, Outcome& outcome, MessageSink& messages) {
    LnkHandle handle = 0;
    LnkErc error = 0;
    if (!LnkOpenData(&handle, name.c_str(), &error, nullptr)) {
        Fail(messages, "The device '" + name + "' could not be opened" +
                           (error == LNK_ERC_OPEN_FAILED ? " (the library said why above)." : "."));
        return kExitFailed;
    }
    char identity[64] = {};
    const bool answered =
        LnkGetIdentity(handle, identity, static_cast<int32_t>(sizeof(identity)), &error);
    LnkCloseData(handle, &error);
    if (!answered) {
        Fail(messages, "The board of device '" + name + "' did not answer.");
        return kExitFailed;
    }
    outcome.identity = QuoteForMessage(identity, sizeof(identity));
    return kExitSuccess;
}

} // namespace

int RunPorts(Outcome& outcome) {
    const char* root = std::getenv("TESSARY_PORTS_ROOT");
    outcome.ports = FindSerialPorts(root != nullptr && root[0] != '\0' ? root : "/", RecentLines());
    return kExitSuccess;
}

int RunProbe(const Request& given, Outcome& outcome, MessageSink& messages) {
    if (given.serial) {
        const LineProbeResult result = ProbeLine(*given.serial, given.baud);
        if (!result.ok) {
            Fail(messages, result.failure);
            return kExitFailed;
        }
        RememberLine(*given.serial);
        outcome.identity = QuoteForMessage(result.identity, 64);
        return kExitSuccess;
    }
    DeviceLibrary library;
    if (!library.Start(messages)) {
        return kExitFailed;
    }
    Request request = given;
    Session session;
    if (!SelectBoard(request, session, messages)) {
        return kExitUsage;
    }
    return ProbeDevice(session.deviceName, outcome, messages);
}

} // namespace tessary::cli
