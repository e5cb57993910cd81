// The running desktop program on simulated boards of the test's own, driven through the controls
// of its pages as a person would use them.
#pragma once

#include "AppFixture.h"
#include "TabControl.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabBar>

#include <gmock/gmock.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessary::board {
class SimBoard;
}

namespace tessary::test {

// SimBoard is the default device. Slow moves a megabyte a second, so that a transfer lasts long
// enough to watch; Flaky flips bit 0 of every byte read back from the 100th on; Dropping fails
// its eighth register access, in the middle of a transfer; Broken is a serial board whose tty
// does not exist, so it never connects.
inline constexpr const char* kPagesTable = "SimBoard sim default flash=512k busy=2\n"
                                           "SimBoard-1M sim flash=1m busy=2\n"
                                           "SimBoard-16M sim flash=16m busy=2\n"
                                           "Slow sim flash=512k speed=1000000\n"
                                           "Flaky sim flip-from=100\n"
                                           "Dropping sim fail-access=8\n"
                                           "Broken serial path=/nonexistent/tessary-tty\n";

// Names the cases of a parameterised test by their name field.
struct NameOfCase {
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& tested) const {
        return tested.param.name;
    }
};

class PagesTest : public AppTest {
  protected:
    void SetUp() override;

    // Brings the page to the front, as a click on its tab does.
    void ShowPage(int index);
    void Type(int pageIndex, int id, const std::string& text);
    std::string FieldText(int pageIndex, int id);
    // Shows the page and clicks the button (push, check or radio); an operation the click starts
    // has ended when it returns.
    void Press(int pageIndex, int id);
    // The same, without waiting for the operation.
    void Click(int pageIndex, int id);
    // Handles events until no operation runs (at most 30 s).
    void WaitUntilIdle();
    // Handles events until the condition holds (at most 30 s); false when it never did.
    bool WaitFor(const std::function<bool()>& condition);
    // Picks the device from the Properties page's list, as the user does.
    void ChooseDevice(const char* name);
    // Clicks a memory-configuration button of the Properties page.
    void ChooseConfiguration(int radioId);

    std::string Path(const std::string& name) const;
    // A file of seeded pseudo-random bytes.
    QByteArray MakeFile(const std::string& path, int size, uint32_t seed = 1);
    static QByteArray ReadFile(const std::string& path);
    board::SimBoard& Board(const char* device);
    // The Flash of the device, every byte set to value (no erase block left blank).
    void FillFlash(const char* device, uint8_t value);
    // Whether every byte of block index (of the current configuration) holds value.
    bool BlockHolds(const char* device, int32_t index, uint8_t value);

    // Every text the status bar was given since the start, in order.
    std::vector<std::string> statusTexts;
    // The device table the program starts on.
    const char* table_ = kPagesTable;
};

} // namespace tessary::test
