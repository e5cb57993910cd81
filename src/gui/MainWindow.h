#pragma once

#include "Sinks.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

namespace tessary {

class OperationRunner;
class Page;
class StatusArea;
class TabControl;
class WindowKeys;

// The pages in tab order.
enum PageIndex : int {
    kLoadRamPage = 0,
    kStoreRamPage = 1,
    kPropertiesPage = 2,
    kLoadFlashPage = 3,
    kStoreFlashPage = 4,
    kEraseFlashPage = 5,
    kPageCount = 6,
};

// The program's one window: a tab control with the six pages and a status bar along the
// bottom. It is exactly as large as its pages need (client area: the widest page by the tallest
// page plus 57 pixels; tab control at (0, 5), pages at (0, 45) inside it) and cannot be resized
// or maximized. Operations run on its worker thread (Runner); while one runs, the tab bar and
// every push button of the pages are disabled and the status bar offers Cancel, which has the
// keyboard focus (Escape cancels too). Closing it ends
// the event loop with exit code 0 — during an operation once the operation, cancelled, has
// ended; the pages stay until DestroyPages.
class MainWindow : public QWidget, public StatusSink {
    Q_OBJECT
  public:
    static constexpr int kTabControlTop = 5;
    static constexpr int kPageTop = 45;
    static constexpr int kExtraHeight = 57;

    // Builds the pages (in tab order, each initialised), the status bar reading "Ready" and the
    // tab control showing "Load RAM", sizes the window and titles it.
    static std::unique_ptr<MainWindow> Create();
    ~MainWindow() override;

    void SetStatusText(const std::string& text) override;
    void ReportProgress(int64_t done, int64_t total) override;
    void EndProgress() override;

    // Releases and destroys every page, then the tab control. A second call does nothing.
    void DestroyPages();

    OperationRunner& Runner() const { return *runner; }
    Page* PageAt(int index) const { return pages[index]; }
    int CurrentPage() const { return currentPage; }
    StatusArea* StatusBar() const { return statusBar; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    MainWindow();
    void CreatePages();
    void CreateBars();
    void FitToPages();
    QSize LargestPage() const;
    void OnTabChange(int index);
    void SetBusy(bool busy);
    void OnOperationEnd();

    StatusArea* statusBar = nullptr;
    OperationRunner* runner = nullptr;
    // The buttons SetBusy disabled, to be enabled again when the operation ends.
    std::vector<QWidget*> heldButtons;
    QPointer<QWidget> focusBeforeRun;
    WindowKeys* keys = nullptr;
    bool closeAfterOperation = false;
    std::array<Page*, kPageCount> pages{};
    int currentPage = 0;
};

// The main window and its tab control, once they exist.
extern MainWindow* gMainWindow;
extern TabControl* gTabControl;

} // namespace tessary
