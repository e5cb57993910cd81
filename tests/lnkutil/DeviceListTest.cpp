// The device list the library offers: built-in table, table files, the configuration call.
#include "LnkFixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

namespace tessary::lnkutil::test {
namespace {

std::vector<std::string> DeviceNames() {
    std::vector<std::string> names;
    LnkErc erc = -1;
    const int32_t count = ZmgrGetDevCount(&erc);
    for (int32_t i = 0; i < count; ++i) {
        char name[20];
        std::memset(name, 0x7E, sizeof name);
        EXPECT_TRUE(ZmgrGetDevName(i, name, &erc));
        EXPECT_NE(std::memchr(name, '\0', sizeof name), nullptr);
        names.emplace_back(name);
    }
    return names;
}

using DeviceListTest = LnkFixture;

TEST_F(DeviceListTest, WithoutATableFileTheFourSimulatedBoardsAreOffered) {
    Init();
    EXPECT_EQ(DeviceNames(),
              (std::vector<std::string>{"SimBoard", "SimBoard-1M", "SimBoard-4M", "SimBoard-16M"}));
    LnkErc erc = -1;
    EXPECT_EQ(ZmgrGetDefaultDev(&erc), 0);
    EXPECT_EQ(erc, LNK_ERC_OK);
}

TEST_F(DeviceListTest, BuiltInBoardsCarryTheirFlashLayoutsAndTheRamOfTheirConfiguration) {
    Init();
    EXPECT_EQ(LnkSimBoard("SimBoard")->FlashMemory().size(), 0x80000u);
    EXPECT_EQ(LnkSimBoard("SimBoard-1M")->FlashMemory().size(), 0x100000u);
    EXPECT_EQ(LnkSimBoard("SimBoard-4M")->FlashMemory().size(), 0x400000u);
    EXPECT_EQ(LnkSimBoard("SimBoard-16M")->FlashMemory().size(), 0x1000000u);
    EXPECT_EQ(LnkSimBoard("SimBoard")->Ram().size(), 128u << 10);   // q0
    EXPECT_EQ(LnkSimBoard("SimBoard-1M")->Ram().size(), 0u);        // q3: no RAM
    EXPECT_EQ(LnkSimBoard("SimBoard-4M")->Ram().size(), 16u << 20); // parvel4
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/data/SimBoard-1M.ram"));
    EXPECT_EQ(std::filesystem::file_size(dir_ + "/data/SimBoard.ram"), 128u << 10);
}

// A board's entry changed after its images were made (flash=1m, then flash=512k): the image is
// refused, its size and contents kept, and the open failure names both sizes. Once the file is
// out of the way the board opens again, with a new image.
TEST_F(DeviceListTest, AnImageOfAnotherSizeThanTheEntrySaysIsRefusedAndKept) {
    const std::string image = dir_ + "/data/X.flash";
    WriteTable("X sim flash=1m\n");
    Init();
    LnkErc erc = -1;
    LnkCloseData(Open("X"), &erc);
    LnkSimBoard("X")->FlashMemory()[0xFFFFF] = 0x00;
    LnkTerm();
    WriteTable("X sim flash=512k\n");
    Init();
    LnkHandle handle = 0;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(LnkOpenData(&handle, "X", &erc, nullptr));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(erc, LNK_ERC_OPEN_FAILED);
    char text[512];
    ASSERT_TRUE(LnkGetOpenFailure(text, sizeof(text)));
    EXPECT_NE(std::strstr(text, image.c_str()), nullptr) << text;
    EXPECT_NE(std::strstr(text, "1048576"), nullptr) << text;
    EXPECT_NE(std::strstr(text, "524288"), nullptr) << text;
    EXPECT_EQ(std::filesystem::file_size(image), 0x100000u);
    std::ifstream in(image, std::ios::binary);
    in.seekg(0xFFFFF);
    EXPECT_EQ(in.get(), 0x00);
    std::filesystem::rename(image, image + ".old");
    LnkCloseData(Open("X"), &erc);
    EXPECT_EQ(std::filesystem::file_size(image), 0x80000u);
}

// LNKUTIL_SIM_TIME_SCALE gives every simulated board whose entry sets no time-scale its scale;
// a value that is no scale is said and left alone.
TEST_F(DeviceListTest, TheEnvironmentsTimeScaleServesEntriesThatSetNone) {
    const char* before = std::getenv("LNKUTIL_SIM_TIME_SCALE");
    const std::string saved = before != nullptr ? before : "";
    WriteTable("A sim\nB sim time-scale=2.5\n");
    setenv("LNKUTIL_SIM_TIME_SCALE", "0.25", 1);
    Init();
    EXPECT_EQ(LnkSimBoard("A")->config().timeScale, 0.25);
    EXPECT_EQ(LnkSimBoard("B")->config().timeScale, 2.5);
    LnkTerm();
    setenv("LNKUTIL_SIM_TIME_SCALE", "fast", 1);
    ::testing::internal::CaptureStderr();
    Init();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("LNKUTIL_SIM_TIME_SCALE='fast'"), std::string::npos) << warnings;
    EXPECT_EQ(LnkSimBoard("A")->config().timeScale, 1.0);
    if (before != nullptr) {
        setenv("LNKUTIL_SIM_TIME_SCALE", saved.c_str(), 1);
    } else {
        unsetenv("LNKUTIL_SIM_TIME_SCALE");
    }
}

TEST_F(DeviceListTest, TableFileReplacesTheBuiltInTable) {
    WriteTable("# lab benches\n"
               "Bench sim flash=1m base=0x08   # comment after an entry\n"
               "\n"
               "Lab serial default path=/dev/tessary-no-such-tty\n");
    Init();
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"Bench", "Lab"}));
    LnkErc erc = -1;
    EXPECT_EQ(ZmgrGetDefaultDev(&erc), 1);
    EXPECT_EQ(LnkSimBoard("Bench")->config().registerBase, 0x08);
    EXPECT_EQ(LnkSimBoard("Lab"), nullptr);
    LnkHandle handle = 77;
    EXPECT_FALSE(LnkOpenData(&handle, "Lab", &erc, nullptr)); // its tty does not exist
    EXPECT_EQ(erc, LNK_ERC_OPEN_FAILED);
    EXPECT_EQ(handle, 0u);
}

// Why an open failed, for the message that reports it: the missing tty or table entry; nothing
// after a success; cut to the caller's capacity.
TEST_F(DeviceListTest, OpenFailureSaysWhy) {
    WriteTable("Bench sim\n"
               "Lab serial path=/dev/tessary-no-such-tty\n");
    Init();
    char text[128];
    LnkHandle handle = 0;
    LnkErc erc = 0;
    EXPECT_FALSE(LnkOpenData(&handle, "Lab", &erc, nullptr));
    ASSERT_TRUE(LnkGetOpenFailure(text, sizeof(text)));
    EXPECT_STREQ(text, "/dev/tessary-no-such-tty: no such device");
    EXPECT_FALSE(LnkOpenData(&handle, "Nowhere", &erc, nullptr));
    ASSERT_TRUE(LnkGetOpenFailure(text, sizeof(text)));
    EXPECT_STREQ(text, "no device named 'Nowhere' in the device table");
    ASSERT_TRUE(LnkGetOpenFailure(text, 8));
    EXPECT_STREQ(text, "no devi");
    EXPECT_FALSE(LnkGetOpenFailure(text, 0));
    EXPECT_FALSE(LnkGetOpenFailure(nullptr, 8));
    EXPECT_TRUE(LnkOpenData(&handle, "Bench", &erc, nullptr));
    ASSERT_TRUE(LnkGetOpenFailure(text, sizeof(text)));
    EXPECT_STREQ(text, "");
    LnkCloseData(handle, &erc);
}

TEST_F(DeviceListTest, MalformedEntriesAreSkippedWithAWarningNamingFileAndLine) {
    WriteTable("Good sim\n"
               "TwentyCharactersLong sim\n"
               "Other sim flash=2m\n"
               "Good2 sim default\n");
    ::testing::internal::CaptureStderr();
    Init();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"Good", "Good2"}));
    EXPECT_NE(warnings.find(tablePath_ + ":2:"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find(tablePath_ + ":3:"), std::string::npos) << warnings;
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 2);
    LnkErc erc = -1;
    EXPECT_EQ(ZmgrGetDefaultDev(&erc), 1);
}

TEST_F(DeviceListTest, UnreadableTableFileFallsBackToTheBuiltInTable) {
    setenv("LNKUTIL_DEVICES", dir_.c_str(), 1); // a folder, not a file
    ::testing::internal::CaptureStderr();
    Init();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find(dir_ + ": cannot be read"), std::string::npos) << warnings;
    EXPECT_EQ(DeviceNames().size(), 4u);
}

TEST_F(DeviceListTest, XdgFoldersAreUsedWithoutTheOverrideVariables) {
    unsetenv("LNKUTIL_DEVICES");
    unsetenv("LNKUTIL_DATA_DIR");
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ + "/share").c_str(), 1);
    std::filesystem::create_directories(dir_ + "/config/lnkutil");
    std::ofstream(dir_ + "/config/lnkutil/devices.conf") << "Desk sim default flash=4m\n";
    Init();
    EXPECT_EQ(DeviceNames(), std::vector<std::string>{"Desk"});
    LnkHandle handle = Open("Desk");
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/share/lnkutil/Desk.flash"));
    EXPECT_EQ(std::filesystem::file_size(dir_ + "/share/lnkutil/Desk.flash"), 0x400000u);
    LnkErc erc = -1;
    EXPECT_TRUE(LnkCloseData(handle, &erc));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
}

TEST_F(DeviceListTest, EmptyOverridesMeanBuiltInTableAndNoImages) {
    WriteTable("Other sim\n");
    setenv("LNKUTIL_DEVICES", "", 1);
    setenv("LNKUTIL_DATA_DIR", "", 1);
    Init();
    EXPECT_EQ(DeviceNames().size(), 4u);
    Open();
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/data"));
}

TEST_F(DeviceListTest, TableWithoutDefaultHasNone) {
    WriteTable("Only sim\n");
    Init();
    LnkErc erc = -1;
    EXPECT_EQ(ZmgrGetDefaultDev(&erc), -1);
}

TEST_F(DeviceListTest, IndexesOutsideTheTableFail) {
    Init();
    char name[20] = "unchanged";
    LnkErc erc = 0;
    EXPECT_FALSE(ZmgrGetDevName(4, name, &erc));
    EXPECT_EQ(erc, LNK_ERC_BAD_INDEX);
    EXPECT_FALSE(ZmgrGetDevName(-1, name, &erc));
    EXPECT_STREQ(name, "unchanged");
    EXPECT_FALSE(ZmgrGetDevName(0, nullptr, &erc));
    EXPECT_EQ(erc, LNK_ERC_NULL_POINTER);
}

TEST_F(DeviceListTest, NothingAnswersBeforeInitOrAfterTerm) {
    LnkErc erc = 0;
    EXPECT_EQ(ZmgrGetDevCount(&erc), 0);
    EXPECT_EQ(erc, LNK_ERC_NOT_INITIALISED);
    EXPECT_EQ(ZmgrGetDefaultDev(&erc), -1);
    LnkHandle handle = 0;
    EXPECT_FALSE(LnkOpenData(&handle, "SimBoard", &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_NOT_INITIALISED);
    Init();
    handle = Open();
    LnkTerm();
    uint8_t value = 0;
    EXPECT_FALSE(LnkGetReg(handle, 1, &value, &erc, nullptr));
    EXPECT_EQ(erc, LNK_ERC_NOT_INITIALISED);
}

TEST_F(DeviceListTest, ConfigurationDialogIsNotAvailableYet) {
    Init();
    LnkErc erc = 0;
    EXPECT_FALSE(ZmgrStartConfigureDevices(nullptr, &erc));
    EXPECT_EQ(erc, LNK_ERC_NO_DIALOG);
    EXPECT_EQ(ZmgrGetDevCount(&erc), 4);
}

} // namespace
} // namespace tessary::lnkutil::test
