// The device table text format: parsing, editing, saving.
#include "DeviceTable.h"
#include "SerialOptions.h"
#include "SimOptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace tessary::lnkutil::test {
namespace {

struct BadLine {
    const char* line;
    const char* reasonPart;
};

class MalformedLineTest : public ::testing::TestWithParam<BadLine> {};

TEST_P(MalformedLineTest, IsRejectedWithItsReason) {
    DeviceEntry entry;
    std::string reason;
    EXPECT_FALSE(ParseDeviceLine(GetParam().line, &entry, &reason));
    EXPECT_NE(reason.find(GetParam().reasonPart), std::string::npos) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedLineTest,
    ::testing::Values(BadLine{"Lonely", "expected"}, BadLine{"A usb", "kind 'usb'"},
                      BadLine{"ABCDEFGHIJKLMNOPQRST sim", "name"}, BadLine{".hidden sim", "name"},
                      BadLine{"A sim flash=8m", "flash"}, BadLine{"A sim base=0x0C", "base"},
                      BadLine{"A sim base=0x100", "base"}, BadLine{"A sim busy=-1", "busy"},
                      BadLine{"A sim locked=7", "locked block 7"},
                      BadLine{"A sim flash=1m locked=1,,2", "locked"},
                      BadLine{"A sim colour=red", "unknown"}, BadLine{"A sim fast", "key=value"},
                      BadLine{"A sim busy=1 busy=2", "twice"}, BadLine{"A serial", "path"},
                      BadLine{"A serial path=", "path"}, BadLine{"A serial path=/x baud=9", "baud"},
                      BadLine{"A serial path=/x baud=fast", "baud"},
                      BadLine{"A serial path=/x window=0", "window"},
                      BadLine{"A serial path=/x window=33", "window"},
                      BadLine{"A serial path=tcp://lab:99999", "from 1 to 65535"},
                      BadLine{"A serial path=rfc2217://lab:0", "from 1 to 65535"},
                      BadLine{"A serial path=tcp://lab", "tcp://HOST:PORT"},
                      BadLine{"A sim never-ready=maybe", "never-ready"},
                      BadLine{"A sim time-scale=-1", "time-scale"},
                      BadLine{"A sim time-scale=0x10", "time-scale"},
                      BadLine{"A sim program-us=fast", "program-us"},
                      BadLine{"A sim erase-ms=0x100000000", "erase-ms"},
                      BadLine{"A sim config=q9", "config"}));

TEST(DeviceLine, NineteenCharactersAndEverySimSetting) {
    DeviceEntry entry;
    std::string reason;
    ASSERT_TRUE(ParseDeviceLine("ABCDEFGHIJKLMNOPQRS\tsim default flash=1m base=0xF8 busy=7 "
                                "locked=0,10 never-ready=yes speed=1000 fail-access=3 "
                                "flip-byte=4 flip-from=5 program-us=6 erase-ms=0x20 "
                                "time-scale=0.125 config=q1",
                                &entry, &reason))
        << reason;
    EXPECT_EQ(entry.name, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_TRUE(entry.isDefault);
    EXPECT_EQ(entry.options.size(), 13u);
    EXPECT_EQ(entry.Option("locked"), "0,10");
    board::BoardConfig config;
    ASSERT_TRUE(ParseSimOptions(entry.options, &config, &reason)) << reason;
    EXPECT_EQ(config.programMicros, 6u);
    EXPECT_EQ(config.eraseMillis, 32u);
    EXPECT_EQ(config.timeScale, 0.125);
    EXPECT_EQ(config.ramSize, 512u << 10);
    EXPECT_EQ(config.busyReads, 7u);
}

TEST(DeviceLine, EverySerialSetting) {
    DeviceEntry entry;
    std::string reason;
    ASSERT_TRUE(ParseDeviceLine("Shared serial path=rfc2217://lab:3001 baud=3000000 window=4",
                                &entry, &reason))
        << reason;
    const SerialSettings settings = SerialSettingsOf(entry);
    EXPECT_EQ(settings.path, "rfc2217://lab:3001");
    EXPECT_EQ(settings.baud, 3000000u);
    EXPECT_EQ(settings.window, 4);
    ASSERT_TRUE(ParseDeviceLine("Plain serial path=/dev/ttyUSB0", &entry, &reason)) << reason;
    EXPECT_EQ(SerialSettingsOf(entry).baud, 115200u);
    EXPECT_EQ(SerialSettingsOf(entry).window, 0);
}

TEST(DeviceLine, BlankAndCommentLinesAreNoEntry) {
    DeviceEntry entry;
    std::string reason;
    EXPECT_TRUE(ParseDeviceLine("   # SimBoard sim", &entry, &reason));
    EXPECT_TRUE(entry.name.empty());
    EXPECT_TRUE(ParseDeviceLine("\r", &entry, &reason));
    EXPECT_TRUE(entry.name.empty());
}

TEST(DeviceTableParse, DuplicatesAndSecondDefaultAreSkipped) {
    DeviceTable table;
    std::ostringstream warnings;
    table.Parse("A sim default\nA sim\nB sim default\nC serial path=/dev/ttyS1", "t.conf",
                warnings);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.DefaultIndex(), 0);
    EXPECT_EQ(table.entries()[1].name, "C");
    EXPECT_EQ(table.entries()[1].Option("path"), "/dev/ttyS1");
    EXPECT_EQ(warnings.str(), "lnkutil: t.conf:2: device 'A' defined twice; entry skipped\n"
                              "lnkutil: t.conf:3: a second default device; entry skipped\n");
}

TEST(DeviceTableEdit, AddReplaceRemoveAndDefault) {
    DeviceTable table = DeviceTable::BuiltIn();
    std::string reason;
    DeviceEntry lab{"Lab", DeviceKind::Serial, true, {{"path", "/dev/ttyUSB0"}}};
    ASSERT_TRUE(table.Add(lab, &reason)) << reason;
    EXPECT_EQ(table.DefaultIndex(), 4);
    EXPECT_FALSE(table.entries()[0].isDefault);
    EXPECT_FALSE(table.Add(lab, &reason)); // the name is taken
    EXPECT_FALSE(table.Add(DeviceEntry{"Bad", DeviceKind::Sim, false, {{"flash", "3m"}}}, &reason));
    DeviceEntry renamed{"SimBoard-2", DeviceKind::Sim, false, {}};
    ASSERT_TRUE(table.Replace(0, renamed, &reason));
    EXPECT_FALSE(table.Replace(1, renamed, &reason)); // would duplicate entry 0
    EXPECT_TRUE(table.Remove(1));
    EXPECT_EQ(table.Find("SimBoard-1M"), -1);
    EXPECT_EQ(table.DefaultIndex(), 3);
    EXPECT_TRUE(table.SetDefault(-1));
    EXPECT_EQ(table.DefaultIndex(), -1);
    EXPECT_FALSE(table.SetDefault(4));
    EXPECT_FALSE(table.Remove(4));
}

TEST(DeviceTableSave, WhatIsSavedLoadsBackTheSame) {
    char pattern[] = "/tmp/tessary-table-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/devices.conf";
    DeviceTable table = DeviceTable::BuiltIn();
    std::string reason;
    ASSERT_TRUE(table.Add({"Lab", DeviceKind::Serial, false, {{"path", "/dev/ttyUSB0"}}}, &reason));
    ASSERT_TRUE(table.Add({"Slow", DeviceKind::Sim, false, {{"speed", "1000"}, {"base", "0x10"}}},
                          &reason));
    ASSERT_TRUE(table.Save(path, &reason)) << reason;
    DeviceTable loaded;
    std::ostringstream warnings;
    ASSERT_TRUE(loaded.Load(path, warnings));
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(loaded.Format(), table.Format());
    EXPECT_EQ(loaded.DefaultIndex(), 0);
    EXPECT_FALSE(loaded.Load(path + ".missing", warnings));
    EXPECT_EQ(loaded.size(), 6u); // a failed load keeps the table
    std::filesystem::remove_all(pattern);
}

// What a broken file says about itself reaches a terminal short and harmless: at most 80 of its
// characters, control bytes (ESC, NUL) escaped, and a line of any length is not parsed at all.
TEST(DeviceTableParse, WarningsQuoteLittleAndEscapeControlBytes) {
    DeviceTable table;
    std::ostringstream warnings;
    const std::string word(100000, 'w');
    std::string text = "A sim " + word + "\n";
    text += "B sim flash=\x1b[31mred\n";
    text += std::string("C sim\0 x", 9) + "\n";
    text += "D sim " + std::string(5000, ' ') + "\n";
    text += std::string("E serial path=/dev/x base=0\0\x10", 29) + "\n";
    table.Parse(text, "t.conf", warnings);
    std::istringstream lines(warnings.str());
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) {
        got.push_back(line);
    }
    ASSERT_EQ(got.size(), 5u) << warnings.str();
    EXPECT_EQ(got[0], "lnkutil: t.conf:1: line longer than 4096 characters; entry skipped");
    EXPECT_EQ(got[1], "lnkutil: t.conf:2: bad value '\\x1B[31mred' for flash; entry skipped");
    EXPECT_NE(got[2].find("\\x00"), std::string::npos) << got[2];
    EXPECT_EQ(got[3], "lnkutil: t.conf:4: line longer than 4096 characters; entry skipped");
    EXPECT_EQ(got[4], "lnkutil: t.conf:5: bad value '0\\x00\\x10' for base (0 to 0xF8, a multiple "
                      "of 8); entry skipped");
    for (const std::string& line : got) {
        EXPECT_LT(line.size(), 400u);
        for (const char c : line) {
            EXPECT_GE(static_cast<unsigned char>(c), 0x20);
        }
    }

    // A long word inside the cap is quoted with its first 80 characters.
    std::ostringstream more;
    table.Parse("E sim " + std::string(3000, 'k') + "=1\n", "t.conf", more);
    EXPECT_EQ(more.str(), "lnkutil: t.conf:1: unknown sim setting '" + std::string(80, 'k') +
                              "...'; entry skipped\n");
}

// 200,000 devices, and one line with as many settings as fit: both are read in linear time (the
// test would take minutes with a scan of the table for every line).
TEST(DeviceTableParse, LargeTablesAreReadInLinearTime) {
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text += "D" + std::to_string(i) + " sim\n";
    }
    DeviceTable table;
    std::ostringstream warnings;
    const auto start = std::chrono::steady_clock::now();
    table.Parse(text, "big.conf", warnings);
    EXPECT_EQ(table.size(), 200000u);
    std::string settings = "Many sim";
    while (settings.size() < kMaxDeviceLine - 20) {
        settings += " speed=1";
    }
    table.Parse(settings + "\n", "long.conf", warnings);
    EXPECT_NE(warnings.str().find("setting 'speed' given twice"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
} // namespace tessary::lnkutil::test
