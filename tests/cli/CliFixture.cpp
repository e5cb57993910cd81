#include "CliFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessary::test {

void CliTest::SetUp() {
    char pattern[] = "/tmp/tessary-cli-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directory(Path("data"));
    WriteTable(kStandardTable);
}

void CliTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void CliTest::WriteTable(const std::string& table) {
    std::ofstream(Path("devices.conf"), std::ios::trunc) << table;
}

std::vector<std::pair<std::string, std::string>> CliTest::Environment() const {
    std::vector<std::pair<std::string, std::string>> environment = {
        {"LNKUTIL_DEVICES", Path("devices.conf")},
        {"LNKUTIL_DATA_DIR", Path("data")},
        {"HOME", dir_},
        {"XDG_CONFIG_HOME", Path("config")},
        {"XDG_DATA_HOME", Path("share")},
        {"XDG_STATE_HOME", Path("state")}};
    environment.insert(environment.end(), environment_.begin(), environment_.end());
    return environment;
}

CliResult CliTest::Cli(const std::vector<std::string>& arguments) const {
    return RunCli(arguments, Environment());
}

CliResult CliTest::Cli(const std::vector<std::string>& arguments, const CliWatcher& watch) const {
    return RunCli(arguments, Environment(), watch);
}

std::vector<uint8_t> CliTest::MakeFile(const std::string& name, std::size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes = SeededBytes(size, seed);
    Write(name, bytes);
    return bytes;
}

std::vector<uint8_t> CliTest::Read(const std::string& name) const {
    return ReadBytes(Path(name));
}

void CliTest::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Path(name), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

bool CliTest::NoBoardOpened() const {
    return std::filesystem::is_empty(Path("data"));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace tessary::test
