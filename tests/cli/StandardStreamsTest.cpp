// '-' as the file: a load reads standard input, a store writes standard output and reports on
// stderr, so that the tool sits in a pipe between other tools.
#include "CliFixture.h"

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tessary::test {
namespace {

class StandardStreamsTest : public CliTest {
  protected:
    CliResult CliReading(const std::string& input, const std::vector<std::string>& arguments) {
        return RunCliWithInput(arguments, Environment(), Path(input));
    }
};

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// One Intel HEX line for `size` record bytes (count, address, type, data), with its checksum.
std::string Record(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string line = ":";
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) {
        line += kDigits[bytes[i] >> 4];
        line += kDigits[bytes[i] & 15];
        sum = static_cast<uint8_t>(sum + bytes[i]);
    }
    const auto check = static_cast<uint8_t>(-sum);
    line += kDigits[check >> 4];
    line += kDigits[check & 15];
    return line + "\n";
}

TEST_F(StandardStreamsTest, RamAndFlashRoundTripThroughThePipe) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 70000);
    for (const std::string memory : {"ram", "flash"}) {
        const CliResult load = CliReading("in.bin", {"load-" + memory, "-", "--address", "0x100"});
        ASSERT_EQ(load.exitCode, 0) << memory << load.err;
        const CliResult store =
            Cli({"store-" + memory, "-", "--address", "0x100", "--length", "70000"});
        ASSERT_EQ(store.exitCode, 0) << memory << store.err;
        EXPECT_EQ(Bytes(store.out), data) << memory; // the data and nothing else
        EXPECT_NE(store.err.find("Total bytes transferred: 70000"), std::string::npos);
    }
}

TEST_F(StandardStreamsTest, AnImageOnStandardInputLoadsByItsRecordAddresses) {
    Write("in.hex", Bytes(":0400100001020304E2\n:00000001FF\n"));
    const CliResult load = CliReading("in.hex", {"load-ram", "-", "--format", "ihex"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult store = Cli({"store-ram", "-", "--address", "0x10", "--length", "4"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Bytes(store.out), (std::vector<uint8_t>{1, 2, 3, 4}));
}

// A pipe has no size to read ahead of time: an image much larger than one read still loads whole.
TEST_F(StandardStreamsTest, AnImageFromANamedPipeLoadsWhole) {
    const std::vector<uint8_t> data = MakeFile("in.bin", 150000);
    std::string text;
    for (size_t at = 0; at < data.size(); at += 16) {
        const size_t count = std::min<size_t>(16, data.size() - at);
        const uint32_t address = 0x2000 + static_cast<uint32_t>(at);
        if ((address & 0xFFFF) == 0 || at == 0) {
            const uint8_t high[] = {2,
                                    0,
                                    0,
                                    4,
                                    static_cast<uint8_t>(address >> 24),
                                    static_cast<uint8_t>(address >> 16)};
            text += Record(high, sizeof(high));
        }
        std::vector<uint8_t> bytes{static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                                   static_cast<uint8_t>(address), 0};
        bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(at + count));
        text += Record(bytes.data(), bytes.size());
    }
    text += ":00000001FF\n";
    ASSERT_EQ(::mkfifo(Path("image.hex").c_str(), 0600), 0);
    // Opened for reading and writing, the pipe has its writer before the tool opens it.
    const int fd = ::open(Path("image.hex").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::thread writer([&] {
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            done += n > 0 ? static_cast<size_t>(n) : 0;
        }
        ::close(fd);
    });
    WriteTable("Ram512K sim default config=q1\n");
    const CliResult load = Cli({"load-ram", Path("image.hex")});
    writer.join();
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult store = Cli({"store-ram", "-", "--address", "0x2000", "--length", "150000"});
    ASSERT_EQ(store.exitCode, 0) << store.err;
    EXPECT_EQ(Bytes(store.out), data);
}

TEST_F(StandardStreamsTest, MoreThanTheMemoryTakesIsRefusedBeforeTheBoard) {
    MakeFile("big.bin", 3 * 0x80000 + 8192);
    const CliResult load = CliReading("big.bin", {"load-flash", "-"});
    EXPECT_EQ(load.exitCode, 2);
    EXPECT_NE(load.err.find("Standard input holds more than"), std::string::npos) << load.err;
    EXPECT_TRUE(NoBoardOpened());
}

TEST_F(StandardStreamsTest, AFailedStoreWritesNothingToStandardOutput) {
    // The default Flash is 512K: the range runs past it and is refused; a range the board cannot
    // deliver (no such device) fails before any byte is written.
    const CliResult past = Cli({"store-flash", "-", "--address", "0x7FF00", "--length", "512"});
    EXPECT_NE(past.exitCode, 0);
    EXPECT_TRUE(past.out.empty());
    const CliResult missing = Cli({"--device", "NoSuch", "store-ram", "-", "--length", "16"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.empty());
    const CliResult json = Cli({"--json", "store-ram", "-", "--length", "16"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.size(), 16u); // the report went to stderr
    EXPECT_NE(json.err.find("\"ok\":true"), std::string::npos) << json.err;
}

TEST_F(StandardStreamsTest, StandardOutputHasNoOffsetToOverwriteAt) {
    const CliResult store =
        Cli({"store-ram", "-", "--mode", "overwrite", "--offset", "4", "--length", "16"});
    EXPECT_EQ(store.exitCode, 2);
    EXPECT_TRUE(store.out.empty());
    EXPECT_NE(store.err.find("no offset to overwrite at"), std::string::npos) << store.err;
}

} // namespace
} // namespace tessary::test
