// What a store does to the file beside the data: links, owners and other writers are left as they
// were, a store that is killed leaves at most a temporary file that the next store removes, and
// pipes without a peer never make the tool hang.
#include "CliFixture.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tessary::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class StoreSafety : public CliTest {
  protected:
    // 16 bytes of RAM from 0 stored; the board's RAM holds the bytes of "pattern.bin".
    void FillRam() {
        pattern = MakeFile("pattern.bin", 16, 5);
        ASSERT_EQ(Cli({"load-ram", Path("pattern.bin")}).exitCode, 0);
    }
    CliResult StoreTo(const std::string& path, const char* mode = "replace") const {
        return Cli({"store-ram", path, "--length", "16", "--mode", mode});
    }
    int Temporaries() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(Path(""))) {
            count += entry.path().filename().string().starts_with(".tessary-") ? 1 : 0;
        }
        return count;
    }

    std::vector<uint8_t> pattern;
};

TEST_F(StoreSafety, HardLinksKeepSharingTheStoredData) {
    FillRam();
    MakeFile("a.bin", 100);
    fs::create_hard_link(Path("a.bin"), Path("b.bin"));
    ASSERT_EQ(StoreTo(Path("a.bin")).exitCode, 0);
    EXPECT_EQ(Read("a.bin"), pattern);
    EXPECT_EQ(Read("b.bin"), pattern);
    EXPECT_EQ(fs::hard_link_count(Path("a.bin")), 2u);
}

TEST_F(StoreSafety, SymbolicLinksStayLinksAndDanglingOnesGetTheirTarget) {
    FillRam();
    MakeFile("target.bin", 100);
    fs::create_symlink(Path("target.bin"), Path("link.bin"));
    ASSERT_EQ(StoreTo(Path("link.bin")).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(Path("link.bin")));
    EXPECT_EQ(Read("target.bin"), pattern);

    fs::create_symlink(Path("new.bin"), Path("dangling.bin"));
    ASSERT_EQ(StoreTo(Path("dangling.bin"), "append").exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(Path("dangling.bin")));
    EXPECT_EQ(Read("new.bin"), pattern);
}

// Root can give a file away; the store must not take it back (a rename would make it root's).
TEST_F(StoreSafety, AnotherOwnersFileKeepsItsOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file to another user";
    }
    FillRam();
    MakeFile("theirs.bin", 100);
    ASSERT_EQ(::chown(Path("theirs.bin").c_str(), 4321, 4321), 0);
    ASSERT_EQ(StoreTo(Path("theirs.bin")).exitCode, 0);
    struct stat info {};
    ASSERT_EQ(::stat(Path("theirs.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(Read("theirs.bin"), pattern);
}

// A failing append takes back only its own bytes: what another program appended while the board
// was being read stays.
TEST_F(StoreSafety, FailedAppendKeepsWhatOthersAppendedMeanwhile) {
    WriteTable("Slow sim default speed=40000 fail-access=10\n");
    const std::vector<uint8_t> old = MakeFile("log.bin", 1000);
    std::thread other([&] {
        std::this_thread::sleep_for(200ms);
        std::ofstream(Path("log.bin"), std::ios::app | std::ios::binary) << "other";
    });
    const CliResult result =
        Cli({"store-ram", Path("log.bin"), "--length", "0x10000", "--mode", "append"});
    other.join();
    EXPECT_EQ(result.exitCode, 1);
    std::vector<uint8_t> expected = old;
    for (const char c : std::string("other")) {
        expected.push_back(static_cast<uint8_t>(c));
    }
    EXPECT_EQ(Read("log.bin"), expected);
}

// SIGKILL gives no chance to clean up: at most the one temporary file is left, and the next store
// beside it removes it. The file itself is untouched.
TEST_F(StoreSafety, KilledStoreLeavesAtMostATemporaryThatTheNextStoreRemoves) {
    WriteTable("Slow sim default speed=20000\n");
    const std::vector<uint8_t> old = MakeFile("out.bin", 1000);
    const CliResult killed = RunCli({"store-ram", Path("out.bin"), "--length", "0x8000"},
                                    Environment(), Interruption{SIGKILL, 300ms});
    EXPECT_EQ(killed.exitCode, 128 + SIGKILL);
    EXPECT_LE(Temporaries(), 1);
    EXPECT_EQ(Read("out.bin"), old);

    // A temporary file of a process that still runs (this test) is not touched.
    const std::string mine = Path(".tessary-" + std::to_string(::getpid()) + "-0.tmp");
    std::ofstream(mine) << "in use";
    ASSERT_EQ(Cli({"store-ram", Path("other.bin"), "--length", "16"}).exitCode, 0);
    EXPECT_EQ(Temporaries(), 1);
    EXPECT_TRUE(fs::exists(mine));
}

TEST_F(StoreSafety, PipesWithoutAPeerFailAtOnce) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    const CliResult store = Cli({"store-ram", Path("fifo"), "--length", "16"});
    EXPECT_EQ(store.exitCode, 1);
    EXPECT_NE(store.err.find("Unable to open specified file."), std::string::npos);
    // Read whole before the board is opened, the pipe holds none of the 16 bytes asked for.
    const CliResult load = Cli({"load-ram", Path("fifo"), "--length", "16"});
    EXPECT_EQ(load.exitCode, 2);
    EXPECT_NE(load.err.find("holds 0 bytes"), std::string::npos) << load.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST_F(StoreSafety, SecondStoreOfTheSameFileIsTurnedAway) {
    WriteTable("Slow sim default speed=20000\nFast sim\n");
    const std::vector<uint8_t> old = MakeFile("out.bin", 1000);
    std::thread first([&] {
        EXPECT_EQ(
            Cli({"store-ram", Path("out.bin"), "--length", "0x4000", "--mode", "append"}).exitCode,
            0);
    });
    std::this_thread::sleep_for(300ms);
    const CliResult second =
        Cli({"--device", "Fast", "store-ram", Path("out.bin"), "--length", "16"});
    first.join();
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("Another store is writing to " + Path("out.bin")), std::string::npos)
        << second.err;
    EXPECT_EQ(Read("out.bin").size(), old.size() + 0x4000);
}

} // namespace
} // namespace tessary::test
