#pragma once

#include "AppContext.h"
#include "BoardProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tessary::test {

// A tessary-board on a pseudo-terminal and the program's settings pointing at it over the serial
// line (interface type 0, device name = the terminal's path).
class SerialBoardFixture : public ::testing::Test {
  protected:
    void StartBoard(const std::vector<std::string>& options = {}) {
        board = std::make_unique<BoardProcess>(options);
        context.interfaceType = kInterfaceSerial;
        context.SetDevice(board->Path());
        gApp = &context;
    }
    void TearDown() override {
        gApp = nullptr;
        RegisterBase = 0;
        MemoryConfiguration = 0;
    }

    AppContext context;
    std::unique_ptr<BoardProcess> board;
};

} // namespace tessary::test
