// Operations on the worker thread, as a person lives with them: nothing clicked during a
// transfer is replayed after it, Cancel stops it and leaves files and board as they were, the
// window goes on painting.
#include "EraseFlashPage.h"
#include "Flash.h"
#include "LoadFlashPage.h"
#include "LoadRamPage.h"
#include "OperationRunner.h"
#include "PagesFixture.h"
#include "PropertiesPage.h"
#include "SimBoard.h"
#include "StatusArea.h"
#include "StoreRamPage.h"
#include "lnkutil_sim.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace tessary::test {
namespace {

// Slow moves a megabyte a second: 512 KB take half a second.
constexpr int kStoreLength = 0x80000;

class LongWorkTest : public PagesTest {
  protected:
    void SetUp() override {
        PagesTest::SetUp();
        ChooseDevice("Slow");
        ChooseConfiguration(PropertiesPage::kQ1); // the 512K stores fit its RAM
    }
    void FillStoreForm(const std::string& path, int modeButton) {
        Press(kStoreRamPage, modeButton);
        Type(kStoreRamPage, StoreRamPage::kFileName, path);
        Type(kStoreRamPage, StoreRamPage::kStartAddress, "0");
        Type(kStoreRamPage, StoreRamPage::kLength, std::to_string(kStoreLength));
        if (modeButton == StoreRamPage::kOverwrite) {
            Type(kStoreRamPage, StoreRamPage::kFileOffset, "100");
        }
    }
    StatusArea& Bar() { return *window().StatusBar(); }
    QPushButton* StoreButton() { return control<QPushButton>(kStoreRamPage, StoreRamPage::kStore); }
    bool Busy() { return window().Runner().Busy(); }
    // Waits until the progress bar shows at least percent.
    void WaitForProgress(int percent) {
        ASSERT_TRUE(WaitFor([&] {
            return Bar().Progress()->isVisible() && Bar().Progress()->value() >= percent;
        })) << "no progress to "
            << percent << "%";
    }
    // The files in the test's directory but the boards' memory images.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(library_->directory())) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".ram" && extension != ".flash") {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(LongWorkTest, ThreeClicksOnStoreDuringAStoreMakeOneStore) {
    FillStoreForm(Path("out.bin"), StoreRamPage::kAppend);
    Click(kStoreRamPage, StoreRamPage::kStore);
    ASSERT_TRUE(Busy());
    EXPECT_FALSE(StoreButton()->isEnabled());
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(StoreButton(), Qt::LeftButton);
        QTest::qWait(20);
    }
    WaitUntilIdle();
    EXPECT_TRUE(StoreButton()->isEnabled());
    EXPECT_EQ(ReadFile(Path("out.bin")).size(), kStoreLength);
    EXPECT_EQ(statusTexts.back(), "Ram Store complete. Total bytes transferred: 524288");
    QTest::qWait(50); // nothing queued comes after it
    EXPECT_FALSE(Busy());
    EXPECT_EQ(ReadFile(Path("out.bin")).size(), kStoreLength);
}

TEST_F(LongWorkTest, TabClickDuringATransferDoesNothing) {
    FillStoreForm(Path("out.bin"), StoreRamPage::kReplace);
    Click(kStoreRamPage, StoreRamPage::kStore);
    QTabBar* tabs = gTabControl->Bar();
    EXPECT_FALSE(tabs->isEnabled());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kEraseFlashPage).center());
    QTest::qWait(20);
    EXPECT_EQ(window().CurrentPage(), kStoreRamPage);
    EXPECT_EQ(tabs->currentIndex(), kStoreRamPage);
    // every push button of every page is held while the store runs
    for (int index = 0; index < kPageCount; ++index) {
        for (const int id : page(index).ControlIds()) {
            if (auto* button = qobject_cast<QPushButton*>(page(index).Control(id))) {
                EXPECT_FALSE(button->isEnabled()) << "page " << index << " button " << id;
            }
        }
    }
    WaitUntilIdle();
    EXPECT_TRUE(tabs->isEnabled());
    EXPECT_EQ(window().CurrentPage(), kStoreRamPage);
    Press(kEraseFlashPage, EraseFlashPage::kEraseAll); // usable again
}

// From the keyboard: Ctrl+Tab and Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp the
// one before, round the ends, and the focus goes along; while an operation runs the pages stay
// locked, as the tab bar is.
TEST_F(LongWorkTest, KeysSwitchPagesOnlyWhileIdle) {
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    ShowPage(kLoadRamPage);
    page(kLoadRamPage).Control(LoadRamPage::kFileName)->setFocus();
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page; // shown afterwards
    };
    constexpr Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Key keys[] = {
        {Qt::Key_Tab, ctrl, kStoreRamPage},
        {Qt::Key_PageDown, ctrl, kPropertiesPage},
        {Qt::Key_Backtab, ctrl | Qt::ShiftModifier, kStoreRamPage},
        {Qt::Key_PageUp, ctrl, kLoadRamPage},
        {Qt::Key_PageUp, ctrl, kEraseFlashPage},
        {Qt::Key_Tab, ctrl, kLoadRamPage},
        {Qt::Key_Tab, ctrl, kStoreRamPage},
    };
    for (const Key& key : keys) {
        QTest::keyClick(QApplication::focusWidget(), key.key, key.modifiers);
        EXPECT_EQ(window().CurrentPage(), key.page) << key.key;
        EXPECT_EQ(gTabControl->Bar()->currentIndex(), key.page);
        EXPECT_TRUE(page(key.page).isAncestorOf(QApplication::focusWidget())) << key.key;
    }
    FillStoreForm(Path("out.bin"), StoreRamPage::kReplace);
    Click(kStoreRamPage, StoreRamPage::kStore);
    ASSERT_TRUE(Busy());
    for (const Key& key : keys) {
        QTest::keyClick(QApplication::focusWidget(), key.key, key.modifiers);
        EXPECT_EQ(window().CurrentPage(), kStoreRamPage) << key.key;
    }
    EXPECT_TRUE(Busy());
    WaitUntilIdle();
    EXPECT_EQ(ReadFile(Path("out.bin")).size(), kStoreLength);
}

// Escape does what the Cancel button does; Cancel has the focus while the store runs, and the Store
// button gets it back at the end. Return starts nothing.
TEST_F(LongWorkTest, EscapeCancelsARunningStore) {
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    FillStoreForm(Path("out.bin"), StoreRamPage::kReplace);
    StoreButton()->setFocus(Qt::MouseFocusReason);
    Click(kStoreRamPage, StoreRamPage::kStore);
    ASSERT_TRUE(Busy());
    EXPECT_EQ(QApplication::focusWidget(), Bar().CancelButton());
    WaitForProgress(10);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    WaitUntilIdle();
    EXPECT_EQ(Bar().Text(), QStringLiteral("Operation cancelled."));
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
    EXPECT_EQ(QApplication::focusWidget(), StoreButton());
    QTest::keyClick(StoreButton(), Qt::Key_Return);
    QTest::keyClick(StoreButton(), Qt::Key_Enter);
    EXPECT_FALSE(Busy());
}

TEST_F(LongWorkTest, StatusBarShowsProgressRateTimeLeftAndCancelWhileItRuns) {
    EXPECT_FALSE(Bar().CancelButton()->isVisible());
    FillStoreForm(Path("out.bin"), StoreRamPage::kReplace);
    Click(kStoreRamPage, StoreRamPage::kStore);
    EXPECT_TRUE(Bar().CancelButton()->isVisible());
    ASSERT_TRUE(WaitFor([&] { return !Bar().Rate()->text().isEmpty(); }));
    EXPECT_TRUE(Bar().Rate()->text().endsWith(QStringLiteral(" KB/s")))
        << Bar().Rate()->text().toStdString();
    EXPECT_TRUE(Bar().TimeLeft()->text().endsWith(QStringLiteral(" left")));
    EXPECT_TRUE(Bar().Text().startsWith(QStringLiteral("Reading block: ")));
    // the window paints while the transfer runs
    const QImage picture = window().grab().toImage();
    EXPECT_FALSE(picture.isNull());
    WaitUntilIdle();
    EXPECT_FALSE(Bar().CancelButton()->isVisible());
    EXPECT_FALSE(Bar().Progress()->isVisible());
    EXPECT_FALSE(Bar().Rate()->isVisible());
}

class CancelledStore : public LongWorkTest, public testing::WithParamInterface<int> {};

TEST_P(CancelledStore, CancelAtAThirdLeavesTheOldFileAndNoTemporaryFile) {
    const QByteArray old = MakeFile(Path("kept.bin"), 3000, 9);
    const std::vector<std::string> before = Entries();
    FillStoreForm(Path("kept.bin"), GetParam());
    Click(kStoreRamPage, StoreRamPage::kStore);
    WaitForProgress(30);
    QTest::mouseClick(Bar().CancelButton(), Qt::LeftButton);
    WaitUntilIdle();
    EXPECT_EQ(Bar().Text(), QStringLiteral("Operation cancelled."));
    EXPECT_EQ(ReadFile(Path("kept.bin")), old);
    EXPECT_EQ(Entries(), before);
    EXPECT_TRUE(StoreButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Modes, CancelledStore,
                         testing::Values(StoreRamPage::kReplace, StoreRamPage::kOverwrite,
                                         StoreRamPage::kAppend),
                         [](const testing::TestParamInfo<int>& tested) {
                             return tested.param == StoreRamPage::kReplace     ? "Replace"
                                    : tested.param == StoreRamPage::kOverwrite ? "Overwrite"
                                                                               : "Append";
                         });

TEST_F(LongWorkTest, CancelDuringLoadFlashLeavesReadArrayModeAndDisconnects) {
    std::vector<std::pair<LnkTraceCall, std::vector<uint8_t>>> sets;
    LnkSimSetTraceHook([&sets](const LnkTraceEvent& event) {
        if (event.call == LnkTraceCall::PutRegSet) {
            sets.emplace_back(event.call,
                              std::vector<uint8_t>(event.data.begin(), event.data.end()));
        }
    });
    MakeFile(Path("in.bin"), 0x40000);
    Type(kLoadFlashPage, LoadFlashPage::kFileName, Path("in.bin"));
    Click(kLoadFlashPage, LoadFlashPage::kLoad);
    ASSERT_TRUE(WaitFor([&] {
        return std::find(statusTexts.begin(), statusTexts.end(), "Loading block: 8") !=
               statusTexts.end();
    }));
    QTest::mouseClick(Bar().CancelButton(), Qt::LeftButton);
    WaitUntilIdle();
    LnkSimSetTraceHook(nullptr);

    EXPECT_TRUE(Bar().Text().startsWith(QStringLiteral("Operation cancelled. ")))
        << Bar().Text().toStdString();
    EXPECT_TRUE(Bar().Text().endsWith(QStringLiteral(" of 262144 bytes loaded.")));
    ASSERT_FALSE(sets.empty());
    // the last Flash command: read array (0xFF and the strobe triple)
    EXPECT_EQ(sets.back().second, (std::vector<uint8_t>{0xFF, 0xF5, 0xF7, 0xFF}));
    EXPECT_EQ(Board("Slow").flash().mode(), board::Flash::Mode::ReadArray);
    // disconnected cleanly: the board takes the next operation at once
    MakeFile(Path("small.bin"), 1000);
    Type(kLoadRamPage, LoadRamPage::kFileName, Path("small.bin"));
    Press(kLoadRamPage, LoadRamPage::kLoad);
    EXPECT_EQ(Bar().Text(), QStringLiteral("RAM load complete. Total bytes transferred: 1000"));
}

} // namespace
} // namespace tessary::test
