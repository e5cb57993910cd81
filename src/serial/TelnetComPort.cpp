#include "TelnetComPort.h"

namespace tessary {

namespace {

constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;

constexpr uint8_t kBinary = 0;
constexpr uint8_t kSuppressGoAhead = 3;
constexpr uint8_t kComPort = 44;

// COM-PORT-CONTROL commands from client to server, and their values.
constexpr uint8_t kSetBaud = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kParityNone = 1;
constexpr uint8_t kOneStopBit = 1;
constexpr uint8_t kNoFlowControl = 1;

bool Supported(uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

uint64_t Bit(uint8_t option) {
    return option < 64 ? (uint64_t{1} << option) : 0;
}

void SubNegotiation(std::vector<uint8_t>& out, uint8_t command,
                    std::initializer_list<uint8_t> value) {
    out.insert(out.end(), {kIac, kSb, kComPort, command});
    TelnetComPort::Escape(value.begin(), value.size(), out);
    out.insert(out.end(), {kIac, kSe});
}

} // namespace

std::vector<uint8_t> TelnetComPort::Open(uint32_t baud) {
    ours_ = Bit(kBinary) | Bit(kSuppressGoAhead) | Bit(kComPort);
    theirs_ = Bit(kBinary) | Bit(kSuppressGoAhead);
    std::vector<uint8_t> out = {kIac, kWill, kBinary,          kIac, kDo, kBinary,
                                kIac, kWill, kSuppressGoAhead, kIac, kDo, kSuppressGoAhead,
                                kIac, kWill, kComPort};
    SubNegotiation(out, kSetBaud,
                   {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16),
                    static_cast<uint8_t>(baud >> 8), static_cast<uint8_t>(baud)});
    SubNegotiation(out, kSetDataSize, {8});
    SubNegotiation(out, kSetParity, {kParityNone});
    SubNegotiation(out, kSetStopSize, {kOneStopBit});
    SubNegotiation(out, kSetControl, {kNoFlowControl});
    return out;
}

void TelnetComPort::Escape(const uint8_t* data, size_t count, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < count; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac) {
            out.push_back(kIac);
        }
    }
}

// Agrees to the options this client uses and refuses all others, answering only requests that
// change something (RFC 854), so that the two sides never answer each other for ever.
void TelnetComPort::Negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t>& answers) {
    const uint64_t bit = Bit(option);
    auto answer = [&](uint8_t reply) { answers.insert(answers.end(), {kIac, reply, option}); };
    if (verb == kDo && !Supported(option)) {
        answer(kWont);
    } else if (verb == kDo && (ours_ & bit) == 0) {
        ours_ |= bit;
        answer(kWill);
    } else if (verb == kWill && !Supported(option)) {
        answer(kDont);
    } else if (verb == kWill && (theirs_ & bit) == 0) {
        theirs_ |= bit;
        answer(kDo);
    } else if (verb == kDont && (ours_ & bit) != 0) {
        ours_ &= ~bit;
        answer(kWont);
    } else if (verb == kWont && (theirs_ & bit) != 0) {
        theirs_ &= ~bit;
        answer(kDont);
    }
}

void TelnetComPort::Take(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data,
                         std::vector<uint8_t>& answers) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        switch (state_) {
        case State::Data:
            if (b == kIac) {
                state_ = State::Command;
            } else {
                data.push_back(b);
            }
            break;
        case State::Command:
            if (b == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
                verb_ = b;
                state_ = State::Option;
            } else if (b == kSb) {
                state_ = State::Sub;
            } else {
                state_ = State::Data; // NOP, go-ahead and the like carry nothing for us
            }
            break;
        case State::Option:
            Negotiate(verb_, b, answers);
            state_ = State::Data;
            break;
        case State::Sub:
            // The server's reports (the settings it took, line and modem state) are dropped.
            if (b == kIac) {
                state_ = State::SubCommand;
            }
            break;
        case State::SubCommand:
            state_ = b == kSe ? State::Data : State::Sub;
            break;
        }
    }
}

} // namespace tessary
