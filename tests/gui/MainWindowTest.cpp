#include "AppFixture.h"
#include "StatusArea.h"
#include "TabControl.h"
#include "WindowTitle.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <set>

namespace tessary::test {
namespace {

using MainWindowTest = AppTest;

TEST_F(MainWindowTest, StartsOnLoadRamReadyWithTheVersionTitleAndTheDefaultDevice) {
    Start();
    EXPECT_EQ(window().windowTitle(), "Ostrand Tessary  2.1");
    EXPECT_EQ(window().CurrentPage(), kLoadRamPage);
    EXPECT_TRUE(page(kLoadRamPage).isVisible());
    EXPECT_EQ(window().StatusBar()->Text(), "Ready");
    EXPECT_EQ(gApp->deviceName, "SimBoard");
    EXPECT_EQ(gApp->interfaceType, kInterfaceLibrary);
    EXPECT_EQ(gApp->mainWindow, &window());
    EXPECT_EQ(RegisterBase, 0);
    EXPECT_EQ(MemoryConfiguration, 0);

    const QStringList labels = {"Load RAM",   "Store RAM",   "Properties",
                                "Load Flash", "Store Flash", "Erase Flash"};
    QTabBar* bar = gTabControl->Bar();
    ASSERT_EQ(bar->count(), labels.size());
    for (int i = 0; i < bar->count(); ++i) {
        EXPECT_EQ(bar->tabText(i), labels[i]);
    }
    EXPECT_EQ(bar->currentIndex(), 0);
}

TEST_F(MainWindowTest, WithoutADefaultDeviceTheDeviceStaysCom1) {
    Start(kTableWithoutDefault);
    EXPECT_EQ(gApp->deviceName, "COM1");
    EXPECT_EQ(gApp->interfaceType, kInterfaceLibrary);
}

TEST_F(MainWindowTest, EachTabShowsExactlyItsPage) {
    Start();
    QTabBar* bar = gTabControl->Bar();
    for (const int chosen : {1, 2, 3, 4, 5, 0, 5, 2}) {
        bar->setCurrentIndex(chosen);
        EXPECT_EQ(window().CurrentPage(), chosen);
        for (int index = 0; index < kPageCount; ++index) {
            EXPECT_EQ(page(index).isVisible(), index == chosen)
                << "page " << index << " with tab " << chosen;
        }
    }
}

TEST_F(MainWindowTest, WindowIsFixedAndSizedByItsPages) {
    Start();
    QSize largest;
    for (int index = 0; index < kPageCount; ++index) {
        largest = largest.expandedTo(page(index).size());
    }
    EXPECT_EQ(window().size(), QSize(largest.width(), largest.height() + 57));
    EXPECT_EQ(window().minimumSize(), window().size());
    EXPECT_EQ(window().maximumSize(), window().size());
    EXPECT_FALSE(window().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window().windowFlags() & Qt::WindowCloseButtonHint);

    EXPECT_EQ(gTabControl->geometry(), QRect(0, 5, largest.width(), largest.height() + 52));
    for (int index = 0; index < kPageCount; ++index) {
        EXPECT_EQ(page(index).parentWidget(), gTabControl);
        EXPECT_EQ(page(index).pos(), QPoint(0, 45)) << "page " << index;
    }
    const StatusArea* status = window().StatusBar();
    EXPECT_EQ(status->geometry().bottom(), window().height() - 1);
    EXPECT_EQ(status->width(), window().width());
}

// Nothing of a page may lie under the status bar or outside the page or its group box.
TEST_F(MainWindowTest, EveryControlIsInsideItsPageAndClearOfTheStatusBar) {
    Start();
    const int statusTop = window().StatusBar()->y();
    for (int index = 0; index < kPageCount; ++index) {
        gTabControl->Bar()->setCurrentIndex(index);
        QApplication::processEvents();
        Page& shown = page(index);
        for (const int id : shown.ControlIds()) {
            QWidget* control = shown.Control(id);
            if (control->isHidden()) {
                continue;
            }
            const QRect inWindow(control->mapTo(&window(), QPoint(0, 0)), control->size());
            EXPECT_LT(inWindow.bottom(), statusTop) << "page " << index << " control " << id;
            const QRect inParent = control->geometry();
            EXPECT_TRUE(control->parentWidget()->rect().contains(inParent))
                << "page " << index << " control " << id << " leaves its frame";
        }
    }
}

TEST_F(MainWindowTest, DestroyPagesReleasesEveryPageAndMayRunTwice) {
    Start();
    int destroyed = 0;
    for (int index = 0; index < kPageCount; ++index) {
        QObject::connect(&page(index), &QObject::destroyed, [&destroyed] { ++destroyed; });
    }
    window().DestroyPages();
    EXPECT_EQ(destroyed, kPageCount);
    for (int index = 0; index < kPageCount; ++index) {
        EXPECT_EQ(window().PageAt(index), nullptr);
    }
    EXPECT_EQ(gTabControl, nullptr);
    window().DestroyPages();
    EXPECT_EQ(window().StatusBar()->Text(), "Ready");
}

TEST_F(MainWindowTest, StatusTextAndProgressShowWhileAnOperationRuns) {
    Start();
    StatusSink& status = window();
    status.SetStatusText("Loading block: 1");
    EXPECT_EQ(window().StatusBar()->Text(), "Loading block: 1");

    QProgressBar* progress = window().StatusBar()->Progress();
    EXPECT_FALSE(progress->isVisible());
    status.ReportProgress(8192, 32768);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->value(), 25);
    status.ReportProgress(32768, 32768);
    EXPECT_EQ(progress->value(), 100);
    status.ReportProgress(5, 0);
    EXPECT_EQ(progress->value(), 0);

    status.SetStatusText("RAM load complete. Total bytes transferred: 32768");
    status.EndProgress();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(window().StatusBar()->Text(), "RAM load complete. Total bytes transferred: 32768");
}

// Tab and Shift+Tab cycle through the shown page's controls only: never into a hidden page, the
// tab bar or the status bar.
TEST_F(MainWindowTest, TabKeyStaysInsideTheShownPage) {
    Start();
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    for (const int shown : {kLoadRamPage, kStoreFlashPage, kEraseFlashPage}) {
        gTabControl->Bar()->setCurrentIndex(shown);
        QWidget* first = page(shown).findChild<QPushButton*>();
        ASSERT_NE(first, nullptr);
        first->setFocus();
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            std::set<QWidget*> visited;
            for (int step = 0; step < 30; ++step) {
                QTest::keyClick(QApplication::focusWidget(), key);
                QWidget* focus = QApplication::focusWidget();
                ASSERT_NE(focus, nullptr);
                EXPECT_TRUE(page(shown).isAncestorOf(focus))
                    << "page " << shown << " step " << step << " "
                    << focus->metaObject()->className() << " " << focus->objectName().toStdString();
                visited.insert(focus);
            }
            EXPECT_GT(visited.size(), 2u) << "page " << shown;
        }
    }
}

TEST(WindowTitleTest, IsNameTwoBlanksAndVersionOrWhatThereIs) {
    EXPECT_EQ(BuildWindowTitle("Ostrand Tessary", "2.1"), "Ostrand Tessary  2.1");
    EXPECT_EQ(BuildWindowTitle("", "2.1"), "2.1");
    EXPECT_EQ(BuildWindowTitle("Ostrand Tessary", ""), "Ostrand Tessary  ");
    EXPECT_EQ(BuildWindowTitle("", ""), "");
    EXPECT_EQ(BuildWindowTitle(std::string(300, 'x'), "2.1").size(), 255u);
}

} // namespace
} // namespace tessary::test
