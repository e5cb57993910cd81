// Each test gets its own device table path and data directory, and a library in its initial
// state; tests talk to the simulated boards only through the library.
#pragma once

#include "lnkutil.h"
#include "lnkutil_erc.h"
#include "lnkutil_sim.h"

#include "SimBoard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tessary::lnkutil::test {

class LnkFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessary-lnk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        tablePath_ = dir_ + "/devices.conf";
        setenv("LNKUTIL_DEVICES", tablePath_.c_str(), 1);
        setenv("LNKUTIL_DATA_DIR", (dir_ + "/data").c_str(), 1);
        LnkSimReset();
    }
    void TearDown() override {
        LnkSimReset();
        unsetenv("LNKUTIL_DEVICES");
        unsetenv("LNKUTIL_DATA_DIR");
        std::filesystem::remove_all(dir_);
    }

    void WriteTable(const std::string& text) { std::ofstream(tablePath_) << text; }

    void Init() {
        LnkErc erc = -1;
        ASSERT_TRUE(LnkInit(&erc));
        EXPECT_EQ(erc, LNK_ERC_OK);
    }

    LnkHandle Open(const char* device = "SimBoard") {
        LnkHandle handle = 0;
        LnkErc erc = -1;
        EXPECT_TRUE(LnkOpenData(&handle, device, &erc, nullptr)) << "erc " << erc;
        EXPECT_NE(handle, 0u);
        return handle;
    }

    std::string dir_;
    std::string tablePath_;
};

} // namespace tessary::lnkutil::test
