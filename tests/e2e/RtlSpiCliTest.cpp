// tessary-cli --config q0 against tessary-rtl-board --flash-bus spi: the controller's SPI back end
// on a serial NOR chip of real timing (scaled), whose host range starts 1 MB into the chip. After
// each case the chip's record of commands is checked: the erases that make up each block of the
// Q0 layout, page programs that never cross a page, a status read showing WIP clear between a
// program or erase and the next command, and the first megabyte (a bitstream) as it was.
#include "BoardProcess.h"
#include "CliFixture.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace tessary::test {
namespace {

constexpr uint32_t kOffset = 1u << 20;
constexpr uint32_t kChip = 1u << 24;
constexpr uint32_t kQ0Size = 512u << 10;

struct Command {
    unsigned opcode = 0;
    uint32_t address = 0;
    uint32_t bytes = 0;
    unsigned status = 0;
    bool busy = false;
};

// The erases (opcode, chip address) of the Q0 layout's blocks, in block order.
struct Erase {
    unsigned opcode;
    uint32_t address;
    bool operator==(const Erase&) const = default;
};
std::vector<Erase> Q0Erases() {
    std::vector<Erase> erases;
    for (uint32_t a = 0; a < 0x60000; a += 0x10000) {
        erases.push_back({0xD8, kOffset + a}); // three 128K blocks: two 64K erases each
    }
    erases.push_back({0xD8, kOffset + 0x60000}); // the 96K block: 64K and 32K
    erases.push_back({0x52, kOffset + 0x70000});
    for (uint32_t a = 0x78000; a < kQ0Size; a += 0x1000) {
        erases.push_back({0x20, kOffset + a}); // 8K, 8K and 16K: 4K sectors
    }
    return erases;
}

bool IsErase(unsigned opcode) {
    return opcode == 0x20 || opcode == 0x52 || opcode == 0xD8;
}

// The erases among the commands from `first` to `last`, in their order.
template <typename It> std::vector<Erase> ErasesIn(It first, It last) {
    std::vector<Erase> erases;
    for (; first != last; ++first) {
        if (IsErase(first->opcode)) {
            erases.push_back({first->opcode, first->address});
        }
    }
    return erases;
}

class RtlSpiCli : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        // The chip's first megabyte holds a bitstream; the host's range is erased.
        bitstream_.resize(kOffset);
        for (size_t i = 0; i < bitstream_.size(); ++i) {
            bitstream_[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
        }
        std::vector<uint8_t> chip(kChip, 0xFF);
        std::copy(bitstream_.begin(), bitstream_.end(), chip.begin());
        std::filesystem::create_directories(Path("images"));
        Write("images/Spi.flash", chip);
        Start("fast");
    }

    // The board anew on the chip image as it stands, speaking `protocol`: fast, or basic (no
    // checksums: the host reads back).
    void Start(const std::string& protocol) {
        board_.reset();
        board_ = std::make_unique<BoardProcess>(
            TESSARY_RTL_BOARD_EXE,
            std::vector<std::string>{"--baud", "3000000", "--flash", "512k", "--flash-bus", "spi",
                                     "--time-scale", "0.01", "--images", Path("images"), "--name",
                                     "Spi", "--spi-log", Path("spi.log"), "--stats", Path("stats"),
                                     "--protocol", protocol});
    }

    void TearDown() override {
        board_.reset(); // before the directory it keeps its images in goes
        CliTest::TearDown();
    }

    CliResult Run(std::vector<std::string> arguments, const std::string& config = "q0") const {
        arguments.insert(arguments.begin(),
                         {"--serial", board_->Path(), "--baud", "3000000", "--config", config});
        return Cli(arguments);
    }

    // Ends the board and reads its chip's record; checks what every case must hold.
    std::vector<Command> StopAndCheck() {
        EXPECT_EQ(board_->Stop(SIGTERM), 0);
        std::vector<Command> log;
        std::ifstream in(Path("spi.log"));
        std::string line;
        while (std::getline(in, line)) {
            EXPECT_NE(line.rfind("fault:", 0), 0u) << line;
            std::istringstream words(line);
            Command command;
            std::string word;
            words >> std::hex >> command.opcode;
            while (words >> word) {
                if (word.rfind("addr=", 0) == 0) {
                    command.address =
                        static_cast<uint32_t>(std::stoul(word.substr(5), nullptr, 16));
                } else if (word.rfind("bytes=", 0) == 0) {
                    command.bytes = static_cast<uint32_t>(std::stoul(word.substr(6)));
                } else if (word.rfind("status=", 0) == 0) {
                    command.status = static_cast<unsigned>(std::stoul(word.substr(7), nullptr, 16));
                } else if (word == "busy") {
                    command.busy = true;
                }
            }
            log.push_back(command);
        }
        EXPECT_FALSE(log.empty());
        bool written = false; // a program or erase not yet seen finished by a status read
        for (const Command& command : log) {
            if (command.opcode == 0x05) {
                written = written && (command.status & 0x01) != 0;
                continue;
            }
            EXPECT_FALSE(written) << "command " << std::hex << command.opcode
                                  << " before a status read showed WIP clear";
            EXPECT_FALSE(command.busy) << "command " << std::hex << command.opcode << " while busy";
            if (command.opcode == 0x02) {
                EXPECT_LE(command.address % 256 + command.bytes, 256u)
                    << "page program at " << std::hex << command.address;
            }
            if (command.opcode == 0x02 || IsErase(command.opcode)) {
                EXPECT_GE(command.address, kOffset);
                EXPECT_LT(command.address, kOffset + kQ0Size);
                written = true;
            }
        }
        const std::vector<uint8_t> chip = Read("images/Spi.flash");
        EXPECT_EQ(chip.size(), kChip);
        EXPECT_TRUE(std::equal(bitstream_.begin(), bitstream_.end(), chip.begin()))
            << "the chip below the offset changed";
        return log;
    }

    // A figure from the board's statistics once it has stopped: "bytes_in" the host sent it,
    // "bytes_out" it answered.
    uint64_t Stat(const std::string& wanted) const {
        std::ifstream in(Path("stats"));
        std::string key;
        uint64_t value = 0;
        while (in >> key >> value) {
            if (key == wanted) {
                return value;
            }
        }
        ADD_FAILURE() << "no " << wanted << " in the board's statistics";
        return 0;
    }

    std::vector<uint8_t> Flash(uint32_t address, uint32_t length) {
        const CliResult store = Run({"store-flash", Path("flash.bin"), "--address",
                                     std::to_string(address), "--length", std::to_string(length)});
        EXPECT_EQ(store.exitCode, 0) << store.err;
        return Read("flash.bin");
    }

    std::vector<uint8_t> bitstream_;
    std::unique_ptr<BoardProcess> board_;
};

// Each block is checked erased by the board's checksum: one READ of the whole block, 128K at
// most, carried out before the board answers, and none of the 512K crosses the line.
TEST_F(RtlSpiCli, EveryQ0BlockErasesAsTheSectorsAndBlocksThatMakeItUp) {
    // Everything above the bitstream programmed to 0x00, once the board has let go of its image.
    board_.reset();
    std::vector<uint8_t> chip(kChip, 0x00);
    std::copy(bitstream_.begin(), bitstream_.end(), chip.begin());
    Write("images/Spi.flash", chip);
    Start("fast");
    const CliResult erase = Run({"erase"});
    ASSERT_EQ(erase.exitCode, 0) << erase.err;
    const std::vector<Command> log = StopAndCheck();
    EXPECT_EQ(ErasesIn(log.begin(), log.end()), Q0Erases());
    const std::vector<std::pair<uint32_t, uint32_t>> blocks = {
        {0x00000, 0x20000}, {0x20000, 0x20000}, {0x40000, 0x20000}, {0x60000, 0x18000},
        {0x78000, 0x2000},  {0x7A000, 0x2000},  {0x7C000, 0x4000}};
    for (const auto& [start, size] : blocks) {
        EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                                [&](const Command& c) {
                                    return c.opcode == 0x03 && c.address == kOffset + start &&
                                           c.bytes >= size;
                                }))
            << "block at " << std::hex << start << " not read whole by the board";
    }
    EXPECT_LT(Stat("bytes_out"), 4096u);
    // The host's 512K erased, the rest of the chip as it was.
    chip = Read("images/Spi.flash");
    ASSERT_EQ(chip.size(), kChip);
    EXPECT_TRUE(std::all_of(chip.begin() + kOffset, chip.begin() + kOffset + kQ0Size,
                            [](uint8_t b) { return b == 0xFF; }));
    const auto changed = std::find_if(chip.begin() + kOffset + kQ0Size, chip.end(),
                                      [](uint8_t b) { return b != 0x00; });
    EXPECT_EQ(changed, chip.end()) << "changed at " << std::hex << (changed - chip.begin());
}

TEST_F(RtlSpiCli, RamRoundTripAndAnEightKParameterBlockErasedLeavesItsNeighbours) {
    const std::vector<uint8_t> ram = MakeFile("ram.bin", 5000, 3);
    ASSERT_EQ(Run({"load-ram", Path("ram.bin"), "--address", "0x1F0"}).exitCode, 0);
    ASSERT_EQ(
        Run({"store-ram", Path("ram-out.bin"), "--address", "0x1F0", "--length", "5000"}).exitCode,
        0);
    EXPECT_EQ(Read("ram-out.bin"), ram);

    // Blocks 4 and 5 (8K at 0x78000, 0x7A000) and 6 (16K at 0x7C000), loaded with verify from
    // an odd address on, so that frames and pages do not line up.
    const std::vector<uint8_t> data = MakeFile("in.bin", 0x7F00, 9);
    const CliResult load = Run({"load-flash", Path("in.bin"), "--address", "0x78011"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    const CliResult erase = Run({"erase", "--blocks", "5"});
    ASSERT_EQ(erase.exitCode, 0) << erase.err;
    const std::vector<uint8_t> after = Flash(0x78011, 0x7F00);
    ASSERT_EQ(after.size(), data.size());
    for (uint32_t i = 0; i < data.size(); ++i) {
        const uint32_t address = 0x78011 + i;
        const bool inBlock5 = address >= 0x7A000 && address < 0x7C000;
        if (after[i] != (inBlock5 ? 0xFF : data[i])) {
            ADD_FAILURE() << "at " << std::hex << address;
            break;
        }
    }
    const std::vector<Command> log = StopAndCheck();
    const auto lastProgram =
        std::find_if(log.rbegin(), log.rend(), [](const Command& c) { return c.opcode == 0x02; });
    EXPECT_EQ(ErasesIn(lastProgram.base(), log.end()),
              (std::vector<Erase>{{0x20, kOffset + 0x7A000}, {0x20, kOffset + 0x7B000}}));
}

// A fast board: the load goes out with its long runs as fills, each erase and the load are
// checked by the board's checksums, and the blank check asks them of every block.
TEST_F(RtlSpiCli, FillsChecksumsAndBlankChecksOfTheParameterBlocks) {
    // Block 6 (16K at 0x7C000) from 0x7C100 on: data with runs of 4K zeros and 1000 of 0x5A.
    std::vector<uint8_t> data = MakeFile("in.bin", 0x2800, 6);
    std::replace(data.begin(), data.end(), uint8_t{0xFF}, uint8_t{0xFE}); // every byte programmed
    std::fill(data.begin() + 0x300, data.begin() + 0x1300, 0x00);
    std::fill(data.begin() + 0x1700, data.begin() + 0x1700 + 1000, 0x5A);
    Write("in.bin", data);
    const CliResult load = Run({"load-flash", Path("in.bin"), "--address", "0x7C100"});
    ASSERT_EQ(load.exitCode, 0) << load.err;
    MakeFile("small.bin", 100, 7);
    const CliResult small = Run({"load-flash", Path("small.bin"), "--address", "0x7A010"});
    ASSERT_EQ(small.exitCode, 0) << small.err;
    const CliResult before = Run({"blank-check", "--blocks", "4-6"});
    ASSERT_EQ(before.exitCode, 0) << before.err;
    EXPECT_EQ(before.out, "block 4 at 0x078000: erased\n"
                          "block 5 at 0x07A000: not erased\n"
                          "block 6 at 0x07C000: not erased\n"
                          "Blank check complete: 1 of 3 blocks erased\n");

    const CliResult erase = Run({"erase", "--blocks", "5"});
    ASSERT_EQ(erase.exitCode, 0) << erase.err;
    const CliResult after = Run({"blank-check", "--blocks", "4-6"});
    ASSERT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(after.out, "block 4 at 0x078000: erased\n"
                         "block 5 at 0x07A000: erased\n"
                         "block 6 at 0x07C000: not erased\n"
                         "Blank check complete: 2 of 3 blocks erased\n");
    EXPECT_EQ(Flash(0x7C100, 0x2800), data);

    const std::vector<Command> log = StopAndCheck();
    uint32_t programmed = 0; // bytes page-programmed into block 6
    for (const Command& command : log) {
        if (command.opcode == 0x02 && command.address >= kOffset + 0x7C000) {
            programmed += command.bytes;
        }
    }
    // Block 6 as four sectors for the load, block 5 as two for the small load and again for the
    // erase; nothing else.
    std::vector<Erase> expected;
    for (uint32_t a = 0x7C000; a < 0x80000; a += 0x1000) {
        expected.push_back({0x20, kOffset + a});
    }
    for (int twice = 0; twice < 2; ++twice) {
        expected.push_back({0x20, kOffset + 0x7A000});
        expected.push_back({0x20, kOffset + 0x7B000});
    }
    EXPECT_EQ(ErasesIn(log.begin(), log.end()), expected);
    EXPECT_EQ(programmed, data.size());
    // The runs crossed the line as fills: all the host sent comes to less than the file.
    EXPECT_LT(Stat("bytes_in"), data.size());
}

TEST_F(RtlSpiCli, ARangePastTheAnnouncedFlashIsRefused) {
    const CliResult probe = Run({"probe"});
    EXPECT_NE(probe.out.find("f=80000"), std::string::npos) << probe.out;
    // A host that takes the board for one with 4 MB tries beyond its 512K.
    MakeFile("in.bin", 700, 4);
    const CliResult load = Run({"load-flash", Path("in.bin"), "--address", "0x80000"}, "parvel4");
    EXPECT_NE(load.exitCode, 0) << load.out;
    const std::vector<Command> log = StopAndCheck(); // nothing written outside the range
    EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const Command& c) {
        return c.opcode == 0x02 || IsErase(c.opcode);
    }));
    const std::vector<uint8_t> chip = Read("images/Spi.flash");
    EXPECT_TRUE(
        std::all_of(chip.begin() + kOffset, chip.end(), [](uint8_t b) { return b == 0xFF; }));
}

} // namespace
} // namespace tessary::test
