#pragma once

#include "RegisterPort.h"
#include "Session.h"
#include "lnkutil.h"

#include <cstdint>
#include <optional>

namespace tessary {

// A RegisterPort that hands every operation to the device-access library (lnkutil), opening the
// device the session names (not the port's own device-name field). The session must outlive the
// port.
class LibraryPort final : public RegisterPort {
  public:
    explicit LibraryPort(const Session& session) : session_(session) {}
    ~LibraryPort() override;
    LibraryPort(const LibraryPort&) = delete;
    LibraryPort& operator=(const LibraryPort&) = delete;

    // Largest set the port splits into its address and data arrays.
    static constexpr int32_t kMaxSetPairs = 68;

    bool Initialize();
    void Uninitialize() override;
    bool Open() override;
    bool Close() override;
    bool Probe(bool& present) override;
    // What the library knows of the board's identity; the empty text for a board that gives none.
    bool GetIdentity(int capacity, char* text) override;
    bool PutReg(uint8_t address, uint8_t data) override;
    bool PutRegRepeat(int32_t count, uint8_t address, const uint8_t* data) override;
    bool PutRegSet(int32_t count, const RegisterPair* pairs) override;
    bool GetReg(uint8_t address, uint8_t& data) override;
    bool GetRegRepeat(int32_t count, uint8_t address, uint8_t* data) override;
    bool GetRegSet(int32_t count, RegisterPair* pairs) override;
    // What the library said about the failed open.
    std::string OpenFailureText() const override { return openFailure_; }
    // The device and the library's error code of the last failed call, with its meaning and what
    // the device said of it: "board 'Sim': the device library's error 7 (the board did not
    // complete the register access)".
    std::string FailureText() const override;
    // The library's words, else that the board did not complete a register access.
    std::string NoAnswerText() const override;
    // A board on a serial line takes its time: a tenth of a second of its line; others have no
    // limit.
    int32_t RepeatPiece() const override { return repeatPiece_; }

    // Whether the board computes checksums on its side, as the library said when the port opened.
    bool OffersChecksum() const override { return offersChecksum_; }
    // One library call: it runs to its end once begun.
    bool Checksum(int32_t count, uint8_t address, uint32_t& crc,
                  const CancelToken& cancel) override;

    LnkHandle Handle() const { return handle_; }
    // The size of the open board's Flash, when the library knows it.
    std::optional<uint32_t> FlashSize() const override;

  private:
    // Passes on the library's answer `done` to the call that filled call_: a failed call keeps
    // call_ for the words of its failure and fails with `code`.
    bool Called(bool done, int32_t code);

    const Session& session_;
    // Where every call puts the library's error code.
    LnkErc call_ = 0;
    // The library's error code of the last failed call.
    LnkErc error_ = 0;
    LnkHandle handle_ = 0;
    std::string openFailure_;
    int32_t repeatPiece_ = INT32_MAX;
    bool offersChecksum_ = false;
};

} // namespace tessary
