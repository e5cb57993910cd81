#pragma once

#include "BoardProcess.h"
#include "Session.h"

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
        session.interfaceType = kInterfaceSerial;
        session.deviceName = board->Path();
    }
    void TearDown() override {
        session.registerBase = 0;
        session.memoryConfiguration = 0;
    }

    Session session;
    std::unique_ptr<BoardProcess> board;
};

} // namespace tessary::test
