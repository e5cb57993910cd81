#include "MainWindow.h"

#include "EraseFlashPage.h"
#include "LoadFlashPage.h"
#include "LoadRamPage.h"
#include "OperationRunner.h"
#include "PropertiesPage.h"
#include "StatusArea.h"
#include "StoreFlashPage.h"
#include "StoreRamPage.h"
#include "StringTable.h"
#include "TabControl.h"
#include "Version.h"
#include "WindowKeys.h"
#include "WindowTitle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>

namespace tessary {

MainWindow* gMainWindow = nullptr;
TabControl* gTabControl = nullptr;

namespace {

using PageFactory = Page* (*)(QWidget* parent);

template <class T> Page* Make(QWidget* parent) {
    return new T(parent);
}

constexpr std::array<PageFactory, kPageCount> kPageFactories = {
    Make<LoadRamPage>,   Make<StoreRamPage>,   Make<PropertiesPage>,
    Make<LoadFlashPage>, Make<StoreFlashPage>, Make<EraseFlashPage>,
};

// Where the Tab key would go first on the page: its first control that can take the focus.
QWidget* FirstTabStop(QWidget* page) {
    for (QWidget* widget = page->nextInFocusChain(); widget != page;
         widget = widget->nextInFocusChain()) {
        if (page->isAncestorOf(widget) && widget->isVisibleTo(page) && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) != 0) {
            return widget;
        }
    }
    return nullptr;
}

} // namespace

MainWindow::MainWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint) {
    setObjectName(QString::fromUtf8(LoadResString(kStrClassName)));
    setWindowTitle(QString::fromUtf8(LoadResString(kStrTitle)));
    runner = new OperationRunner(*this, this);
    connect(runner, &OperationRunner::Started, this, [this] { SetBusy(true); });
    connect(runner, &OperationRunner::Finished, this, &MainWindow::OnOperationEnd);
}

MainWindow::~MainWindow() {
    DestroyPages();
}

std::unique_ptr<MainWindow> MainWindow::Create() {
    std::unique_ptr<MainWindow> window(new MainWindow);
    window->CreatePages();
    window->CreateBars();
    window->FitToPages();
    window->setWindowTitle(
        QString::fromStdString(BuildWindowTitle(version::kProductName, version::kProductVersion)));
    return window;
}

void MainWindow::CreatePages() {
    for (int index = 0; index < kPageCount; ++index) {
        Page* page = kPageFactories[index](this);
        page->hide();
        pages[index] = page;
        page->OnInit();
    }
    for (Page* page : pages) {
        page->OnPagesReady();
    }
}

void MainWindow::CreateBars() {
    statusBar = new StatusArea(this);
    statusBar->hide();
    connect(statusBar, &StatusArea::CancelClicked, runner, &OperationRunner::Cancel);
    gTabControl = new TabControl(this);
    QTabBar* bar = gTabControl->Bar();
    for (int index = 0; index < kPageCount; ++index) {
        bar->insertTab(index, QString::fromUtf8(LoadResString(kStrTabLoadRam + index)));
    }
    // The status bar lies over the bottom of the tab control, so the pages keep that strip
    // clear; and the pages are at least as wide as the row of tabs, which never scrolls.
    const int hiddenStrip = statusBar->height() - (kExtraHeight - kTabControlTop - kPageTop);
    for (Page* page : pages) {
        page->FitSize(std::max(0, hiddenStrip), bar->sizeHint().width());
    }
    const QSize largest = LargestPage();
    gTabControl->setGeometry(0, kTabControlTop, largest.width(), largest.height() + 40);
    for (Page* page : pages) {
        page->setParent(gTabControl);
    }
    statusBar->show();
    statusBar->raise();
    SetStatusText("Ready");
    currentPage = 0;
    bar->setCurrentIndex(0);
    pages[0]->show();
    connect(bar, &QTabBar::currentChanged, this, &MainWindow::OnTabChange);
    keys = new WindowKeys(this, bar, statusBar->CancelButton());
}

QSize MainWindow::LargestPage() const {
    QSize largest;
    for (const Page* page : pages) {
        largest = largest.expandedTo(page->size());
    }
    return largest;
}

void MainWindow::FitToPages() {
    const QSize largest = LargestPage();
    setFixedSize(largest.width(), largest.height() + kExtraHeight);
    gTabControl->setGeometry(0, kTabControlTop, largest.width(),
                             largest.height() + kExtraHeight - kTabControlTop);
    for (Page* page : pages) {
        page->move(0, kPageTop);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    if (statusBar != nullptr) {
        statusBar->setGeometry(0, height() - statusBar->height(), width(), statusBar->height());
    }
    QWidget::resizeEvent(event);
}

void MainWindow::OnTabChange(int index) {
    if (index < 0 || index >= kPageCount || pages[index] == nullptr) {
        return;
    }
    // The keyboard focus goes along with the page: to the first control of the page now shown.
    const bool focusOnPage = pages[currentPage]->isAncestorOf(QApplication::focusWidget());
    pages[currentPage]->hide();
    pages[index]->show();
    currentPage = index;
    if (QWidget* first = FirstTabStop(pages[index]); first != nullptr && focusOnPage) {
        first->setFocus(Qt::TabFocusReason);
    }
}

// Nothing can be clicked into a page while an operation runs: the tab bar and the push buttons
// are disabled for that time (check boxes and fields only shape the next operation).
void MainWindow::SetBusy(bool busy) {
    if (gTabControl != nullptr) {
        gTabControl->Bar()->setEnabled(!busy);
    }
    if (keys != nullptr) {
        keys->SetBusy(busy);
    }
    if (busy) {
        // The control that had the focus (most often the button that started the operation,
        // which is disabled now) gets it back at the end; meanwhile Cancel has it.
        focusBeforeRun = focusWidget();
        for (const Page* page : pages) {
            if (page == nullptr) {
                continue;
            }
            for (const int id : page->ControlIds()) {
                QWidget* control = page->Control(id);
                if (qobject_cast<QPushButton*>(control) != nullptr && control->isEnabled()) {
                    control->setEnabled(false);
                    heldButtons.push_back(control);
                }
            }
        }
    } else {
        for (QWidget* control : heldButtons) {
            control->setEnabled(true);
        }
        heldButtons.clear();
    }
    const bool onCancel = focusWidget() == nullptr || focusWidget() == statusBar->CancelButton();
    statusBar->SetRunning(busy);
    if (busy) {
        statusBar->CancelButton()->setFocus(Qt::OtherFocusReason);
    } else if (onCancel && focusBeforeRun != nullptr && focusBeforeRun->isVisible() &&
               focusBeforeRun->isEnabled()) {
        focusBeforeRun->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::OnOperationEnd() {
    SetBusy(false);
    if (closeAfterOperation) {
        close();
    }
}

// During an operation the window stays until the cancelled operation has ended (within half a
// second), so that its files and the board are left as a cancel leaves them.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (runner->Busy()) {
        closeAfterOperation = true;
        runner->Cancel();
        event->ignore();
        return;
    }
    QCoreApplication::exit(0);
    event->accept();
}

void MainWindow::SetStatusText(const std::string& text) {
    statusBar->SetText(QString::fromStdString(text));
}

void MainWindow::ReportProgress(int64_t done, int64_t total) {
    statusBar->ShowProgress(done, total);
}

void MainWindow::EndProgress() {
    statusBar->HideProgress();
}

void MainWindow::DestroyPages() {
    runner->CancelAndWait();
    heldButtons.clear();
    for (Page*& page : pages) {
        if (page != nullptr) {
            page->Release();
            delete page;
            page = nullptr;
        }
    }
    if (gTabControl != nullptr && gTabControl->parent() == this) {
        delete gTabControl;
        gTabControl = nullptr;
    }
}

} // namespace tessary
