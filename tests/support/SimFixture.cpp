#include "SimFixture.h"

#include "SimBoard.h"
#include "TestFiles.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace tessary::testing {
namespace {

constexpr const char* kDeviceTable = "SimQ0 sim default flash=512k busy=3\n"
                                     "SimQ3 sim flash=1m busy=2\n"
                                     "SimP4 sim flash=4m busy=2 config=parvel4\n"
                                     "SimP16 sim flash=16m busy=2 config=parvel16\n"
                                     "SimHighBase sim flash=512k base=0xF8\n"
                                     "SimSum sim flash=512k checksum=yes\n";

} // namespace

void SimBoardTest::SetUp() {
    char pattern[] = "/tmp/tessary-pages-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    WriteFile(TempPath("devices.conf"),
              std::vector<uint8_t>(kDeviceTable, kDeviceTable + std::strlen(kDeviceTable)));
    ::setenv("LNKUTIL_DEVICES", TempPath("devices.conf").c_str(), 1);
    ::setenv("LNKUTIL_DATA_DIR", "", 1); // memories live in this process only
    LnkErc erc = 0;
    ASSERT_TRUE(LnkInit(&erc)) << erc;
    session.interfaceType = kInterfaceLibrary;
    session.registerBase = 0;
    UseDevice("SimQ0", 0);
    LnkSimSetTraceHook([this](const LnkTraceEvent& event) {
        TracedCall call{event.call, event.address, {}, {}, event.count, event.result};
        call.registers.assign(event.addresses.begin(), event.addresses.end());
        if (event.call != LnkTraceCall::PutRegRepeat && event.call != LnkTraceCall::GetRegRepeat) {
            call.data.assign(event.data.begin(), event.data.end());
        }
        trace.push_back(std::move(call));
    });
}

void SimBoardTest::TearDown() {
    LnkSimReset();
    session.memoryConfiguration = 0;
    session.registerBase = 0;
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void SimBoardTest::UseDevice(const char* device, int32_t configuration) {
    session.deviceName = device;
    session.memoryConfiguration = configuration;
}

board::SimBoard& SimBoardTest::Board() {
    board::SimBoard* board = LnkSimBoard(session.deviceName.c_str());
    EXPECT_NE(board, nullptr);
    return *board;
}

std::vector<uint8_t> SimBoardTest::Ram(uint32_t address, std::size_t count) {
    const auto ram = Board().Ram();
    return {ram.begin() + address, ram.begin() + address + count};
}

std::vector<uint8_t> SimBoardTest::Flash(uint32_t address, std::size_t count) {
    const auto flash = Board().FlashMemory();
    return {flash.begin() + address, flash.begin() + address + count};
}

std::vector<uint8_t> SimBoardTest::MakeFile(const std::string& path, std::size_t size,
                                            uint32_t seed) {
    std::vector<uint8_t> bytes = test::SeededBytes(size, seed);
    WriteFile(path, bytes);
    return bytes;
}

void SimBoardTest::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<uint8_t> SimBoardTest::ReadFile(const std::string& path) {
    return test::ReadBytes(path);
}

bool SimBoardTest::Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::vector<Transfer> SimBoardTest::Transfers(LnkTraceCall call, uint8_t reg) const {
    std::vector<Transfer> transfers;
    uint32_t address = 0;
    const auto base = static_cast<uint8_t>(session.registerBase);
    for (const TracedCall& traced : trace) {
        if (traced.call == LnkTraceCall::PutRegSet && traced.count == 3 &&
            traced.registers ==
                std::vector<uint8_t>{uint8_t(base + 1), uint8_t(base + 2), uint8_t(base + 3)}) {
            address = traced.data[0] | (traced.data[1] << 8) | (traced.data[2] << 16);
        }
        if (traced.call == call && traced.address == base + reg) {
            transfers.push_back({address, traced.count});
        }
    }
    return transfers;
}

std::vector<uint32_t> SimBoardTest::ErasedAddresses() const {
    std::vector<uint32_t> addresses;
    for (const TracedCall& traced : trace) {
        if (traced.call == LnkTraceCall::PutRegSet && traced.count == 11 &&
            traced.data[3] == 0x20 && traced.data[7] == 0xD0) {
            addresses.push_back(traced.data[0] | (traced.data[1] << 8) | (traced.data[2] << 16));
        }
    }
    return addresses;
}

int SimBoardTest::CommandCount(uint8_t command) const {
    return static_cast<int>(
        std::count_if(trace.begin(), trace.end(), [command](const TracedCall& c) {
            return c.call == LnkTraceCall::PutRegSet && c.count == 4 && c.data[0] == command;
        }));
}

std::vector<std::string> SimBoardTest::StatusTextsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    std::copy_if(status.texts.begin(), status.texts.end(), std::back_inserter(found),
                 [&prefix](const std::string& text) { return text.rfind(prefix, 0) == 0; });
    return found;
}

} // namespace tessary::testing
