// Each test runs the built tessary-cli against simulated boards of its own: a device table and a
// data directory (the boards' memory images) in a fresh temporary directory.
#pragma once

#include "CliProcess.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::test {

// The lines of a program's output.
std::vector<std::string> Lines(const std::string& text);

class CliTest : public ::testing::Test {
  protected:
    // SimBoard (512K Flash, the default), Sim1M, Sim4M and Sim16M.
    static constexpr const char* kStandardTable = "SimBoard sim default flash=512k\n"
                                                  "Sim1M sim flash=1m\n"
                                                  "Sim4M sim flash=4m\n"
                                                  "Sim16M sim flash=16m\n";

    void SetUp() override;
    void TearDown() override;

    void WriteTable(const std::string& table);
    CliResult Cli(const std::vector<std::string>& arguments) const;
    CliResult Cli(const std::vector<std::string>& arguments, const CliWatcher& watch) const;
    // The environment Cli runs the tool in: this test's table, data directory and the variables
    // SetEnvironment added.
    std::vector<std::pair<std::string, std::string>> Environment() const;
    // A variable of the environment of later runs.
    void SetEnvironment(const std::string& name, const std::string& value) {
        environment_.emplace_back(name, value);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // A file of seeded pseudo-random bytes.
    std::vector<uint8_t> MakeFile(const std::string& name, std::size_t size, uint32_t seed = 1);
    std::vector<uint8_t> Read(const std::string& name) const;
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    // No board memory image was created: no board was ever opened.
    bool NoBoardOpened() const;
    // The names in this test's folder, sorted: what a run left behind.
    std::vector<std::string> Entries() const { return SortedEntries(dir_); }

  private:
    std::string dir_;
    std::vector<std::pair<std::string, std::string>> environment_;
};

} // namespace tessary::test
