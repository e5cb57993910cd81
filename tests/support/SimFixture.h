// A simulated board per test, reached through liblnkutil exactly as the program reaches it, with
// sinks that record what an operation tells the user and a recorder of the register traffic.
#pragma once

#include "Session.h"
#include "Sinks.h"
#include "TestFiles.h"
#include "lnkutil_sim.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::board {
class SimBoard;
}

namespace tessary::testing {

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
    bool ownedByPage;
};

class RecordingMessages : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool ownedByPage) override {
        shown.push_back({text, caption, icon, ownedByPage});
        causes.emplace_back();
    }
    void ShowMessageWithCause(const std::string& text, const std::string& caption, MessageIcon icon,
                              bool ownedByPage, const std::string& cause) override {
        ShowMessage(text, caption, icon, ownedByPage);
        causes.back() = cause;
    }
    std::vector<Message> shown;
    std::vector<std::string> causes; // one per message shown, empty when it came without a cause
};

class RecordingStatus : public StatusSink {
  public:
    void SetStatusText(const std::string& text) override { texts.push_back(text); }
    void ReportProgress(int64_t done, int64_t total) override {
        progress.emplace_back(done, total);
    }
    void EndProgress() override { ++ends; }
    std::string Last() const { return texts.empty() ? std::string() : texts.back(); }

    std::vector<std::string> texts;
    std::vector<std::pair<int64_t, int64_t>> progress;
    int ends = 0;
};

// One data call at the library boundary; the bytes of repeated calls are not kept.
struct TracedCall {
    LnkTraceCall call;
    uint8_t address;
    std::vector<uint8_t> registers;
    std::vector<uint8_t> data;
    int32_t count;
    bool result;
};

// A repeated access to a data register, with the address the controller was given before it.
struct Transfer {
    uint32_t address;
    int32_t count;
    bool operator==(const Transfer&) const = default;
};

class SimBoardTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Selects the device and the memory configuration that matches its Flash.
    void UseDevice(const char* device, int32_t configuration);
    board::SimBoard& Board();
    // Copies of count bytes of the current board's RAM or Flash from address on.
    std::vector<uint8_t> Ram(uint32_t address, std::size_t count);
    std::vector<uint8_t> Flash(uint32_t address, std::size_t count);

    std::string TempPath(const std::string& name) const { return dir_ + "/" + name; }
    // A file of pseudo-random bytes (seeded, so failures reproduce).
    std::vector<uint8_t> MakeFile(const std::string& path, std::size_t size, uint32_t seed = 1);
    static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
    static std::vector<uint8_t> ReadFile(const std::string& path);
    static bool Exists(const std::string& path);
    // Names in the temporary directory, sorted.
    std::vector<std::string> DirectoryEntries() const { return test::SortedEntries(dir_); }

    // The repeated accesses of one kind (PutRegRepeat or GetRegRepeat) to data register reg, in
    // order.
    std::vector<Transfer> Transfers(LnkTraceCall call, uint8_t reg) const;
    // Start addresses of the block-erase sequences sent, in order.
    std::vector<uint32_t> ErasedAddresses() const;
    // Four-pair command sequences carrying command.
    int CommandCount(uint8_t command) const;
    std::vector<std::string> StatusTextsStartingWith(const std::string& prefix) const;

    Session session;
    RecordingStatus status;
    RecordingMessages messages;
    std::vector<TracedCall> trace;

  private:
    std::string dir_;
};

} // namespace tessary::testing
