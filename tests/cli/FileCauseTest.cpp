// Every file a load or store cannot use is named with the system's reason below the message:
// the message stays the window's text, the cause follows on stderr and in --json, and the final
// line on stdout is the message.
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <sys/resource.h>

namespace tessary::test {
namespace {

struct FileCase {
    const char* name;
    std::vector<std::string> arguments; // DIR/ stands for the test's directory
    const char* text;
    std::string cause; // DIR/ as above; ends at "REASON" when the reason varies (see reasons)
    std::vector<std::string> reasons = {};
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

class FileCause : public CliTest, public ::testing::WithParamInterface<FileCase> {
  protected:
    std::string InDirectory(const std::string& text) const {
        std::string result = text;
        for (std::size_t at = result.find("DIR/"); at != std::string::npos;
             at = result.find("DIR/", at)) {
            result.replace(at, 4, Path(""));
        }
        return result;
    }
};

TEST_P(FileCause, NamesTheFileAndTheSystemsReason) {
    const FileCase& c = GetParam();
    MakeFile("in.bin", 100);
    std::filesystem::create_directory(Path("folder"));
    std::vector<std::string> arguments = {"--json"};
    for (const std::string& word : c.arguments) {
        arguments.push_back(InDirectory(word));
    }
    const CliResult json = Cli(arguments);
    arguments.erase(arguments.begin());
    const CliResult result = Cli(arguments);

    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, std::string(c.text) + "\n");
    const std::vector<std::string> lines = Lines(result.err);
    const auto error = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("error: ");
    });
    ASSERT_TRUE(error != lines.end() && error + 1 != lines.end()) << result.err;
    EXPECT_TRUE(error->starts_with(std::string("error: ") + c.text)) << *error;
    std::string cause = *(error + 1);
    ASSERT_TRUE(cause.starts_with("  cause: ")) << cause;
    cause.erase(0, 9);
    const std::string expected = InDirectory(c.cause);
    if (c.reasons.empty()) {
        EXPECT_EQ(cause, expected);
    } else {
        const std::string start = expected.substr(0, expected.find("REASON"));
        ASSERT_TRUE(cause.starts_with(start)) << cause;
        EXPECT_NE(std::find(c.reasons.begin(), c.reasons.end(), cause.substr(start.size())),
                  c.reasons.end())
            << cause;
    }

    const nlohmann::json outcome = nlohmann::json::parse(json.out);
    EXPECT_EQ(outcome["status"], c.text);
    ASSERT_EQ(outcome["messages"].size(), 1u) << json.out;
    EXPECT_EQ(outcome["messages"][0]["text"], c.text);
    EXPECT_EQ(outcome["messages"][0]["cause"], cause);
}

constexpr const char* kOpen = "Unable to open specified file.";
constexpr const char* kWrite = "Unable to write to specified file.";
constexpr const char* kAccess = "Error accessing input file";

INSTANTIATE_TEST_SUITE_P(
    LoadsAndStores, FileCause,
    ::testing::Values(FileCase{"LoadMissingFile",
                               {"load-ram", "DIR/missing.bin"},
                               kOpen,
                               "cannot open \"DIR/missing.bin\": No such file or directory"},
                      FileCase{"LoadFromMissingFolder",
                               {"load-flash", "DIR/nowhere/fw.bin"},
                               kOpen,
                               "cannot open \"DIR/nowhere/fw.bin\": No such file or directory"},
                      FileCase{"LoadFolder",
                               {"load-ram", "DIR/folder"},
                               kOpen,
                               "cannot open \"DIR/folder\": Is a directory"},
                      FileCase{"LoadBelowAFile",
                               {"load-flash", "DIR/in.bin/fw.bin"},
                               kOpen,
                               "cannot open \"DIR/in.bin/fw.bin\": Not a directory"},
                      // Reading the process's own memory at address 0 fails with an I/O error.
                      FileCase{"LoadUnreadable",
                               {"load-ram", "/proc/self/mem", "--length", "16"},
                               kAccess,
                               "cannot read \"/proc/self/mem\": Input/output error"},
                      FileCase{"StoreToMissingFolder",
                               {"store-ram", "DIR/nowhere/out.bin", "--length", "16"},
                               kOpen,
                               "cannot create \"DIR/nowhere/out.bin\": No such file or directory"},
                      FileCase{"StoreToFolder",
                               {"store-flash", "DIR/folder", "--length", "16", "--mode", "append"},
                               kOpen,
                               "cannot open \"DIR/folder\": Is a directory"},
                      FileCase{"StoreBelowAFile",
                               {"store-ram", "DIR/in.bin/out.bin", "--length", "16"},
                               kOpen,
                               "cannot open \"DIR/in.bin/out.bin\": Not a directory"},
                      // A setting of the kernel that nobody may write, root included: refused by
                      // its mode, or by the read-only mount that containers give these settings.
                      FileCase{"StoreToReadOnlyFile",
                               {"store-ram", "/proc/sys/kernel/ostype", "--length", "16", "--mode",
                                "overwrite"},
                               kOpen,
                               "cannot open \"/proc/sys/kernel/ostype\": REASON",
                               {"Permission denied", "Read-only file system"}},
                      FileCase{"StoreToFullDisk",
                               {"store-flash", "/dev/full", "--length", "16"},
                               kWrite,
                               "cannot write \"/dev/full\": No space left on device"}),
    [](const auto& test) { return std::string(test.param.name); });

using FileSizeLimit = CliTest;

// A file-size limit fails the write in every mode, the temporary file's of replace and
// overwrite and the file's own of append.
TEST_F(FileSizeLimit, IsNamedInEveryMode) {
    MakeFile("out.bin", 20000);
    // The board's memory images are made before the limit holds.
    ASSERT_EQ(Cli({"store-ram", Path("first.bin"), "--length", "16"}).exitCode, 0);
    for (const char* mode : {"replace", "append", "overwrite"}) {
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 30000;
        setrlimit(RLIMIT_FSIZE, &small);
        const CliResult result =
            Cli({"store-ram", Path("out.bin"), "--length", "0x8000", "--mode", mode});
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(result.exitCode, 1) << mode;
        EXPECT_EQ(result.out, std::string(kWrite) + "\n") << mode;
        EXPECT_NE(result.err.find("\n  cause: cannot write \"" + Path("out.bin") +
                                  "\": File too large\n"),
                  std::string::npos)
            << mode << ": " << result.err;
    }
}

} // namespace
} // namespace tessary::test
