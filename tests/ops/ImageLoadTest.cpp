// Intel HEX and S-record images end to end against simulated boards: loaded into RAM and Flash
// at their own addresses with the gaps left alone, stored back as images and as raw binary and
// compared by address; srec_cat's files; refusals before the board is touched.
#include "FlashGeometry.h"
#include "ImageText.h"
#include "LoadOperations.h"
#include "SimBoard.h"
#include "SimFixture.h"
#include "StoreOperations.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

namespace tessary::testing {
namespace {

using image::Image;
using image::ImageFormat;

constexpr uint8_t kRamData = 6;
constexpr uint8_t kFlashData = 7;

std::vector<uint8_t> RandomBytes(std::size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    return bytes;
}

// Runs with gaps between them, in several 64K segments: one crosses a 64K boundary, one ends at
// the end of the range.
Image GappedImage(uint32_t top) {
    Image image;
    image.Add(0x000100, RandomBytes(300, 1));
    image.Add(0x01FFF0, RandomBytes(0x40, 2));
    image.Add(0x03A000, RandomBytes(9000, 3));
    image.Add(top - 0x100, RandomBytes(0x100, 4));
    return image;
}

class ImageLoadTest : public SimBoardTest {
  protected:
    std::span<uint8_t> Memory(bool flash) { return flash ? Board().FlashMemory() : Board().Ram(); }

    // The memory as it should read after the image was loaded over it.
    static std::vector<uint8_t> Overlay(std::vector<uint8_t> memory, const Image& image) {
        for (const auto& [address, data] : image.Runs()) {
            std::copy(data.begin(), data.end(), memory.begin() + address);
        }
        return memory;
    }

    bool Load(bool flash, const std::string& path, LoadForm form = {}) {
        form.fileName = path;
        if (flash) {
            const auto request = ValidateLoadFlashForm(form, session.memoryConfiguration, messages);
            return request && LoadFlashOperation(session, *request, status, messages);
        }
        const auto request = ValidateLoadRamForm(form, messages);
        return request && LoadRamOperation(session, *request, status, messages);
    }

    bool Store(bool flash, const std::string& path, uint32_t address, uint32_t length) {
        StoreForm form{path, std::to_string(address), "", std::to_string(length),
                       OutputMode::Replace};
        const auto request =
            ValidateForm(form, flash ? kStoreFlashTexts : kStoreRamTexts, messages);
        return request && (flash ? StoreFlashToFile(session, *request, status, messages)
                                 : StoreRamToFile(session, *request, status, messages));
    }

    Image ReadImage(const std::string& path, ImageFormat format) {
        const std::vector<uint8_t> bytes = ReadFile(path);
        Image image;
        image::ReadError error;
        EXPECT_TRUE(
            image::ReadImageText(std::string(bytes.begin(), bytes.end()), format, image, error))
            << error.text;
        return image;
    }
};

struct RoundTrip {
    const char* name;
    bool flash;
    ImageFormat format;
    const char* extension;
};

class ImageRoundTrip : public ImageLoadTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(ImageRoundTrip, LoadsAtItsAddressesLeavesTheGapsAndStoresBackTheSame) {
    const bool flash = GetParam().flash;
    UseDevice("SimP16", 6);
    const uint32_t top = 0x1000000; // the top of RAM and of the 16 MB Flash
    std::span<uint8_t> memory = Memory(flash);
    const std::vector<uint8_t> filler = RandomBytes(memory.size(), 9);
    std::copy(filler.begin(), filler.end(), memory.begin());
    const Image image = GappedImage(top);
    const std::string file = TempPath(std::string("in") + GetParam().extension);
    const std::string text = image::WriteImageText(image, GetParam().format);
    WriteFile(file, std::vector<uint8_t>(text.begin(), text.end()));

    ASSERT_TRUE(Load(flash, file)) << (messages.shown.empty() ? "" : messages.shown[0].text);
    EXPECT_EQ(status.Last(), std::string(flash ? "Flash Load complete" : "RAM load complete") +
                                 ". Total bytes transferred: " + std::to_string(image.ByteCount()));
    // every run is written where it belongs, and nothing else
    std::vector<Transfer> written;
    for (const auto& [address, data] : image.Runs()) {
        for (std::size_t done = 0; done < data.size(); done += 8192) {
            written.push_back(
                {static_cast<uint32_t>(address + done),
                 static_cast<int32_t>(std::min<std::size_t>(8192, data.size() - done))});
        }
    }
    const auto programmed = Transfers(LnkTraceCall::PutRegRepeat, flash ? kFlashData : kRamData);
    for (const Transfer& transfer : written) {
        EXPECT_NE(std::find(programmed.begin(), programmed.end(), transfer), programmed.end())
            << std::hex << transfer.address;
    }
    const std::vector<uint8_t> expected = Overlay(filler, image);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));

    // stored back as the same format and as raw binary, compared by address
    const uint32_t from = 0x0000F0;
    const uint32_t length = 0x050000;
    const std::string stored = TempPath(std::string("out") + GetParam().extension);
    ASSERT_TRUE(Store(flash, stored, from, length));
    const Image back = ReadImage(stored, GetParam().format);
    const std::vector<image::Segment> segments = back.Segments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, from);
    EXPECT_EQ(segments[0].data,
              std::vector<uint8_t>(expected.begin() + from, expected.begin() + from + length));
    ASSERT_TRUE(Store(flash, TempPath("out.bin"), from, length));
    EXPECT_EQ(ReadFile(TempPath("out.bin")),
              std::vector<uint8_t>(expected.begin() + from, expected.begin() + from + length));
    // the top of the address space, a segment of its own
    ASSERT_TRUE(Store(flash, stored, top - 0x200, 0x200));
    const std::vector<image::Segment> high = ReadImage(stored, GetParam().format).Segments();
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(high[0].address, top - 0x200);
    EXPECT_EQ(high[0].data, std::vector<uint8_t>(expected.end() - 0x200, expected.end()));
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    FormatsAndMemories, ImageRoundTrip,
    ::testing::Values(RoundTrip{"RamHex", false, ImageFormat::IntelHex, ".hex"},
                      RoundTrip{"RamSRecord", false, ImageFormat::SRecord, ".srec"},
                      RoundTrip{"FlashHex", true, ImageFormat::IntelHex, ".hex"},
                      RoundTrip{"FlashSRecord", true, ImageFormat::SRecord, ".s28"}),
    [](const ::testing::TestParamInfo<RoundTrip>& test) { return test.param.name; });

// srec_cat (Debian's srecord) makes the files from random binaries; what lands on the board,
// stored as binary, is the binary again.
TEST_F(ImageLoadTest, FilesOfAPeerToolLoadToTheirAddresses) {
    ASSERT_EQ(std::system("srec_cat -version >/dev/null 2>&1"), 0)
        << "srec_cat is missing: run scripts/install-deps.sh (Debian package srecord)";
    UseDevice("SimP4", 5);
    const auto original = MakeFile(TempPath("random.bin"), 100000, 5);
    struct Case {
        const char* name;
        const char* options;
        bool flash;
    };
    for (const Case& c : {Case{"peer.hex", "-intel", false}, Case{"peer.mot", "-motorola", false},
                          Case{"peer.ihex", "-intel -address-length=4", true},
                          Case{"peer.s37", "-motorola -address-length=4", true}}) {
        SCOPED_TRACE(c.name);
        const std::string command = "srec_cat " + TempPath("random.bin") +
                                    " -binary -offset 0x2F000 -o " + TempPath(c.name) + " " +
                                    c.options;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_TRUE(Load(c.flash, TempPath(c.name)));
        ASSERT_TRUE(Store(c.flash, TempPath("back.bin"), 0x2F000, 100000));
        EXPECT_EQ(ReadFile(TempPath("back.bin")), original);
    }
}

TEST_F(ImageLoadTest, StartAddressMovesTheWindowTheOffsetAndLengthSelect) {
    Image image;
    image.Add(0x1000, RandomBytes(0x100, 1));
    image.Add(0x1200, RandomBytes(0x100, 2));
    const std::string text = image::WriteImageText(image, ImageFormat::IntelHex);
    WriteFile(TempPath("in.hex"), std::vector<uint8_t>(text.begin(), text.end()));
    const std::vector<uint8_t> before = Ram(0x8000, 0x400);

    // the window 0x1080..0x127F (offset 0x80 from the lowest address, 0x200 long) lands at 0x8000
    LoadForm form;
    form.startAddress = "0x8000";
    form.fileOffset = "0x80";
    form.length = "0x200";
    ASSERT_TRUE(Load(false, TempPath("in.hex"), form));
    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kRamData),
              (std::vector<Transfer>{{0x8000, 0x80}, {0x8180, 0x80}}));
    EXPECT_EQ(status.Last(), "RAM load complete. Total bytes transferred: 256");
    std::vector<uint8_t> expected = before;
    const auto& runs = image.Segments();
    std::copy(runs[0].data.begin() + 0x80, runs[0].data.end(), expected.begin());
    std::copy(runs[1].data.begin(), runs[1].data.begin() + 0x80, expected.begin() + 0x180);
    EXPECT_EQ(Ram(0x8000, 0x400), expected);

    // a window past the image, or a move out of the address space, is refused
    form.fileOffset = "0x300";
    EXPECT_FALSE(Load(false, TempPath("in.hex"), form));
    form.fileOffset = "";
    form.startAddress = "0xFFFF00";
    form.length = "";
    EXPECT_FALSE(Load(false, TempPath("in.hex"), form));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "The file start location 0x300 lies past the image, whose "
                                      "addresses run from 0x1000 to 0x12FF.");
    EXPECT_NE(messages.shown[1].text.find("would leave the board's address space"),
              std::string::npos);
}

TEST_F(ImageLoadTest, FlashEraseCoversExactlyTheBlocksTheRunsTouch) {
    Image image;
    image.Add(0x1FFF0, RandomBytes(0x20, 1)); // blocks 0 and 1
    image.Add(0x60010, RandomBytes(0x10, 2)); // block 3
    const std::string text = image::WriteImageText(image, ImageFormat::SRecord);
    WriteFile(TempPath("in.srec"), std::vector<uint8_t>(text.begin(), text.end()));
    LoadForm form;
    form.preserve = false;
    ASSERT_TRUE(Load(true, TempPath("in.srec"), form));
    EXPECT_EQ(ErasedAddresses(), (std::vector<uint32_t>{0x00000, 0x20000, 0x60000}));
    EXPECT_EQ(Transfers(LnkTraceCall::PutRegRepeat, kFlashData),
              (std::vector<Transfer>{{0x1FFF0, 0x20}, {0x60010, 0x10}}));
}

TEST_F(ImageLoadTest, FormatCanBeForced) {
    const std::string text = ":0400100001020304E2\n:00000001FF\n";
    WriteFile(TempPath("looks.hex"), std::vector<uint8_t>(text.begin(), text.end()));
    LoadForm form;
    form.format = ImageFormat::Binary;
    ASSERT_TRUE(Load(false, TempPath("looks.hex"), form));
    EXPECT_EQ(Ram(0, text.size()), std::vector<uint8_t>(text.begin(), text.end()));
    form.format = std::nullopt;
    ASSERT_TRUE(Load(false, TempPath("looks.hex"), form));
    EXPECT_EQ(Ram(0x10, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
}

struct BadFile {
    const char* name;
    const char* file;
    std::string text;
    const char* says;
};

class ImageRefusal : public ImageLoadTest, public ::testing::WithParamInterface<BadFile> {};

// A bad record is refused before anything reaches the board: not one register access.
TEST_P(ImageRefusal, NamesTheLineAndNeverTouchesTheBoard) {
    WriteFile(TempPath(GetParam().file),
              std::vector<uint8_t>(GetParam().text.begin(), GetParam().text.end()));
    for (const bool flash : {false, true}) {
        messages.shown.clear();
        EXPECT_FALSE(Load(flash, TempPath(GetParam().file)));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].text.find(GetParam().says), std::string::npos)
            << messages.shown[0].text;
        EXPECT_EQ(messages.shown[0].caption, flash ? "Flash Load Error" : "RAM Load Error");
        EXPECT_EQ(status.Last(), flash ? "Flash Load error" : "RAM load error");
    }
    EXPECT_TRUE(trace.empty());
}

INSTANTIATE_TEST_SUITE_P(
    BadRecords, ImageRefusal,
    ::testing::Values(
        BadFile{"Checksum", "bad.hex", ":0400100001020304E2\n:0400140005060708CB\n:00000001FF\n",
                "Intel HEX file: line 2: checksum mismatch"},
        BadFile{"Truncated", "cut.hex", ":0400100001020304E2\n:04001400050607", "line 2: "},
        BadFile{"UnknownType", "type.srec", "S1061234010203AD\nS4061234010203AD\n",
                "S-record file: line 2: unknown record type S4"},
        BadFile{"PastTheAddressSpace", "far.hex", ":020000040100F9\n:0100000055AA\n:00000001FF\n",
                "line 2: data at 0x1000000 to 0x1000000 lies past the last address 0xFFFFFF"}),
    [](const ::testing::TestParamInfo<BadFile>& test) { return test.param.name; });

} // namespace
} // namespace tessary::testing
