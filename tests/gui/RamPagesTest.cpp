// Load RAM and Store RAM through their pages, against the simulated board.
#include "LoadRamPage.h"
#include "PagesFixture.h"
#include "PropertiesPage.h"
#include "SimBoard.h"
#include "StatusArea.h"
#include "StoreRamPage.h"

#include <QEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>

#include <algorithm>

namespace tessary::test {
namespace {

using testing::ElementsAre;

class RamPagesTest : public PagesTest {
  protected:
    void Load(const std::string& path) {
        Type(kLoadRamPage, LoadRamPage::kFileName, path);
        Press(kLoadRamPage, LoadRamPage::kLoad);
    }
    void Store(const std::string& path, const std::string& start, const std::string& length) {
        Type(kStoreRamPage, StoreRamPage::kFileName, path);
        Type(kStoreRamPage, StoreRamPage::kStartAddress, start);
        Type(kStoreRamPage, StoreRamPage::kLength, length);
        Press(kStoreRamPage, StoreRamPage::kStore);
    }
    std::string StatusText() { return window().StatusBar()->Text().toStdString(); }
};

TEST_F(RamPagesTest, LoadWithEmptyFieldsThenStoreGivesTheSameFile) {
    const QByteArray original = MakeFile(Path("in.bin"), 20000);
    Load(Path("in.bin"));
    EXPECT_THAT(statusTexts, ElementsAre("Loading block: 1", "Loading block: 2", "Loading block: 3",
                                         "RAM load complete. Total bytes transferred: 20000"));
    EXPECT_EQ(FieldText(kLoadRamPage, LoadRamPage::kLength), "");

    statusTexts.clear();
    Press(kStoreRamPage, StoreRamPage::kReplace);
    Store(Path("out.bin"), "", "20,000");
    EXPECT_THAT(statusTexts, ElementsAre("Reading block: 1", "Reading block: 2", "Reading block: 3",
                                         "Ram Store complete. Total bytes transferred: 20000"));
    EXPECT_EQ(FieldText(kStoreRamPage, StoreRamPage::kLength), "20000");
    EXPECT_EQ(ReadFile(Path("out.bin")), original);
}

TEST_F(RamPagesTest, LengthWithACommaLoadsOneBlockAndShowsTheCleanedNumber) {
    const QByteArray original = MakeFile(Path("in.bin"), 20000);
    Type(kLoadRamPage, LoadRamPage::kStartAddress, "0x1,000");
    Type(kLoadRamPage, LoadRamPage::kLength, "8,192");
    Load(Path("in.bin"));
    EXPECT_EQ(FieldText(kLoadRamPage, LoadRamPage::kLength), "8192");
    EXPECT_EQ(FieldText(kLoadRamPage, LoadRamPage::kStartAddress), "0x1000");
    EXPECT_THAT(statusTexts, ElementsAre("Loading block: 1",
                                         "RAM load complete. Total bytes transferred: 8192"));
    const std::span<uint8_t> ram = Board("SimBoard").Ram();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(ram.data()) + 0x1000, 8192),
              original.left(8192));
    EXPECT_EQ(ram[0x1000 + 8192], 0) << "one block only";
}

// The mode comes from the radio buttons: Overwrite at the typed offset keeps the file's bytes
// before and after the stored range.
TEST_F(RamPagesTest, OverwriteStoresAtTheOffsetAndKeepsTheRest) {
    const QByteArray data = MakeFile(Path("in.bin"), 300, 7);
    Load(Path("in.bin"));
    const QByteArray old = MakeFile(Path("out.bin"), 2000, 8);

    Press(kStoreRamPage, StoreRamPage::kOverwrite);
    Type(kStoreRamPage, StoreRamPage::kFileOffset, "1,000");
    statusTexts.clear();
    Store(Path("out.bin"), "0", "300");
    EXPECT_EQ(FieldText(kStoreRamPage, StoreRamPage::kFileOffset), "1000");
    EXPECT_EQ(StatusText(), "Ram Store complete. Total bytes transferred: 300");
    EXPECT_EQ(ReadFile(Path("out.bin")), old.left(1000) + data + old.mid(1300));
}

// Append (the mode the page opens with) adds at the end of what the file holds.
TEST_F(RamPagesTest, AppendAddsToTheEndOfTheFile) {
    const QByteArray data = MakeFile(Path("in.bin"), 100, 3);
    Load(Path("in.bin"));
    Store(Path("out.bin"), "", "100");
    Store(Path("out.bin"), "", "100");
    EXPECT_EQ(ReadFile(Path("out.bin")), data + data);
}

// Records what the status bar painted, and when its progress bar came and went.
class PaintRecorder : public QObject {
  public:
    explicit PaintRecorder(StatusArea* bar) : bar_(bar) {
        bar_->installEventFilter(this);
        bar_->Progress()->installEventFilter(this);
    }

    std::vector<std::string> paintedTexts;
    std::vector<int> paintedPercents;
    int shows = 0;
    int hides = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QProgressBar* progress = bar_->Progress();
        if (watched == progress && event->type() == QEvent::Show) {
            ++shows;
        } else if (watched == progress && event->type() == QEvent::Hide) {
            ++hides;
        } else if (watched == progress && event->type() == QEvent::Paint) {
            paintedPercents.push_back(progress->value());
        } else if (watched == bar_ && event->type() == QEvent::Paint) {
            paintedTexts.push_back(bar_->Text().toStdString());
        }
        return false;
    }

  private:
    StatusArea* bar_;
};

// On the slow board a 256 KB load with verify takes about half a second: the block texts and
// the progress bar must be painted while it runs, not only once it has ended.
TEST_F(RamPagesTest, ProgressIsPaintedDuringATransferAndGoesAwayAfterIt) {
    ChooseDevice("Slow");
    ChooseConfiguration(PropertiesPage::kQ1); // 512K of RAM
    ShowPage(kLoadRamPage);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    MakeFile(Path("in.bin"), 256 * 1024);
    QProgressBar* progress = window().StatusBar()->Progress();
    EXPECT_TRUE(progress->isHidden());

    PaintRecorder recorder(window().StatusBar());
    Load(Path("in.bin"));

    EXPECT_EQ(StatusText(), "RAM load complete. Total bytes transferred: 262144");
    EXPECT_GE(recorder.shows, 1);
    EXPECT_GE(recorder.hides, 1);
    EXPECT_TRUE(progress->isHidden());
    const auto midway =
        std::count_if(recorder.paintedPercents.begin(), recorder.paintedPercents.end(),
                      [](int percent) { return percent > 0 && percent < 100; });
    EXPECT_GE(midway, 2) << "the progress bar was not painted while the load ran";
    const auto blockTexts =
        std::count_if(recorder.paintedTexts.begin(), recorder.paintedTexts.end(),
                      [](const std::string& text) { return text.starts_with("Loading block: "); });
    EXPECT_GE(blockTexts, 2) << "the block texts were not painted while the load ran";
}

TEST_F(RamPagesTest, LoadFailureLeavesTheProgressBarHidden) {
    MakeFile(Path("in.bin"), 20000);
    Type(kLoadRamPage, LoadRamPage::kLength, "30000");
    int boxes = 0;
    {
        const ModalAnswerer answerer([&boxes](QWidget* modal) {
            ++boxes;
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
        });
        Load(Path("in.bin")); // the file is too short for the length
    }
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(StatusText(), "RAM load error");
    EXPECT_TRUE(window().StatusBar()->Progress()->isHidden());
}

} // namespace
} // namespace tessary::test
