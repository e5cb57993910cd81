// Start-up and shutdown of the desktop program. This test program stands between the program
// and the device-access library for two calls: LnkInit can be made to fail as a library that
// cannot initialise would, and LnkTerm is logged so that the order of shutdown can be seen.
// Both forward to the real library otherwise.
#include "AppContext.h"
#include "Application.h"
#include "MainWindow.h"
#include "OperationRunner.h"
#include "Page.h"
#include "StatusArea.h"
#include "StoreRamPage.h"
#include "TestSupport.h"
#include "lnkutil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool gLnkInitFails = false;
std::vector<std::string> gEvents;

template <class Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" bool LnkInit(LnkErc* erc) {
    if (gLnkInitFails) {
        *erc = 1;
        return false;
    }
    static const auto next = Next<bool (*)(LnkErc*)>("LnkInit");
    return next(erc);
}

extern "C" void LnkTerm(void) {
    gEvents.emplace_back("LnkTerm");
    static const auto next = Next<void (*)()>("LnkTerm");
    next();
}

namespace tessary::test {
namespace {

class StartupTest : public testing::Test {
  protected:
    void SetUp() override {
        gLnkInitFails = false;
        gEvents.clear();
    }
    void TearDown() override { gLnkInitFails = false; }

    static int VisibleWindows() {
        int count = 0;
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            count += widget->isVisible() ? 1 : 0;
        }
        return count;
    }

    LibraryEnvironment library_{kTableWithDefault};
};

TEST_F(StartupTest, LnkInitFailureEndsStartUpWithOneLineAndNoWindow) {
    gLnkInitFails = true;
    Application application;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(application.Start());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("LnkInit"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(VisibleWindows(), 0);
    EXPECT_EQ(gApp, nullptr);
    EXPECT_EQ(gMainWindow, nullptr);
    EXPECT_TRUE(gEvents.empty()) << "LnkTerm without a successful LnkInit";
}

TEST_F(StartupTest, LnkInitFailureMakesTheExitCodeMinusOne) {
    gLnkInitFails = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunTessary(), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(VisibleWindows(), 0);
}

// Closing the window (close button, Alt+F4, the window manager) ends the program with 0, after
// every page has been destroyed and before the library is, and leaves no application object.
TEST_F(StartupTest, ClosingTheWindowExitsWithZeroAfterReleasingEveryPageBeforeLnkTerm) {
    bool sawWindow = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(gMainWindow, nullptr);
        sawWindow = gMainWindow->isVisible();
        for (int index = 0; index < kPageCount; ++index) {
            QObject::connect(gMainWindow->PageAt(index), &QObject::destroyed,
                             [index] { gEvents.push_back("page " + std::to_string(index)); });
        }
        gMainWindow->close();
    });
    EXPECT_EQ(RunTessary(), 0);
    EXPECT_TRUE(sawWindow);
    const std::vector<std::string> expected = {"page 0", "page 1", "page 2", "page 3",
                                               "page 4", "page 5", "LnkTerm"};
    EXPECT_EQ(gEvents, expected);
    EXPECT_EQ(gApp, nullptr);
    EXPECT_EQ(gMainWindow, nullptr);
    EXPECT_EQ(VisibleWindows(), 0);
}

// Closing the window during a transfer cancels it, waits for it to end, then shuts down in the
// same order, with 0; the file the store was writing is left as it was.
TEST_F(StartupTest, ClosingTheWindowMidTransferCancelsWaitsAndExitsWithZero) {
    const LibraryEnvironment slow("Slow sim default flash=512k speed=1000000\n");
    const std::string target = (slow.directory() / "kept.bin").string();
    { std::ofstream(target, std::ios::binary) << "old contents"; }
    QTimer poll;
    QTimer::singleShot(0, [&] {
        for (int index = 0; index < kPageCount; ++index) {
            QObject::connect(gMainWindow->PageAt(index), &QObject::destroyed,
                             [index] { gEvents.push_back("page " + std::to_string(index)); });
        }
        QObject::connect(
            &gMainWindow->Runner(), &OperationRunner::Finished,
            [](bool, bool cancelled) { gEvents.push_back(cancelled ? "cancelled" : "finished"); });
        Page* store = gMainWindow->PageAt(kStoreRamPage);
        store->SetText(StoreRamPage::kFileName, target);
        store->SetText(StoreRamPage::kLength, "0x20000"); // all of Q0's RAM
        static_cast<QAbstractButton*>(store->Control(StoreRamPage::kReplace))->click();
        static_cast<QAbstractButton*>(store->Control(StoreRamPage::kStore))->click();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // Status reports arrive in batches, so "Reading block: 3" itself may be skipped.
            const QString text = gMainWindow->StatusBar()->Text();
            const QString prefix = QStringLiteral("Reading block: ");
            if (text.startsWith(prefix) && text.mid(prefix.size()).toInt() >= 3) {
                poll.stop();
                gMainWindow->close();
            }
        });
        poll.start(1);
    });
    EXPECT_EQ(RunTessary(), 0);
    const std::vector<std::string> expected = {"cancelled", "page 0", "page 1", "page 2",
                                               "page 3",    "page 4", "page 5", "LnkTerm"};
    EXPECT_EQ(gEvents, expected);
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old contents");
    for (const auto& entry : std::filesystem::directory_iterator(slow.directory())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << "left behind: " << entry.path();
    }
}

TEST_F(StartupTest, SessionEndQuitsWithZero) {
    QTimer::singleShot(0, [] { QApplication::quit(); });
    EXPECT_EQ(RunTessary(), 0);
    ASSERT_FALSE(gEvents.empty());
    EXPECT_EQ(gEvents.back(), "LnkTerm");
}

// The program itself, on a machine without a display: one line saying so, exit code -1.
TEST(ProgramTest, WithoutADisplayItSaysSoInOneLineAndExitsWithMinusOne) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TESSARY_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 255);
    const QString said = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("xvfb-run"))) << said.toStdString();
}

} // namespace
} // namespace tessary::test
