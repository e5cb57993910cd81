// Erase Flash, Load Flash and Store Flash through their pages, against the simulated boards.
#include "AppContext.h"
#include "BoardProcess.h"
#include "EraseFlashPage.h"
#include "FlashGeometry.h"
#include "LoadFlashPage.h"
#include "PagesFixture.h"
#include "PropertiesPage.h"
#include "SimBoard.h"
#include "StatusArea.h"
#include "StoreFlashPage.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <algorithm>
#include <set>

namespace tessary::test {
namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

class ErasePageTest : public PagesTest {
  protected:
    void SetUp() override {
        PagesTest::SetUp();
        FillFlash(device_, 0x00);
    }

    void Uncheck(int id) { Press(kEraseFlashPage, id); }

    // Every block of the current configuration is erased exactly when it is in `erased`.
    void ExpectErased(const char* device, const std::set<int32_t>& erased) {
        for (int32_t k = 0; k < BlockCount(MemoryConfiguration); ++k) {
            const bool isErased = erased.contains(k);
            EXPECT_TRUE(BlockHolds(device, k, isErased ? 0xFF : 0x00))
                << "block " << k << (isErased ? " not erased" : " erased");
        }
    }

    // The device whose Flash starts all zero bits.
    const char* device_ = "SimBoard";
};

TEST_F(ErasePageTest, EraseSelectedErasesExactlyTheCheckedBlocks) {
    for (const int k : {0, 2, 3, 5}) {
        Uncheck(EraseFlashPage::kSmallList.firstCheck + k);
    }
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_THAT(statusTexts,
                ElementsAre("Connecting", "Checking block: 2", "Erasing block: 2",
                            "Checking block: 5", "Erasing block: 5", "Checking block: 7",
                            "Erasing block: 7", "Erase Complete"));
    ExpectErased("SimBoard", {1, 4, 6});

    // pressed again, the blocks are found erased and skipped
    statusTexts.clear();
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_EQ(statusTexts.back(), "Erase Complete (3 of 3 blocks were already erased)");
    EXPECT_EQ(std::count_if(statusTexts.begin(), statusTexts.end(),
                            [](const std::string& text) { return text.starts_with("Erasing"); }),
              0);
}

// The Load Flash page's "Keep the rest of erased blocks" box, ticked at start: the bytes of a
// partly covered block survive the erase; unticked, the erase clears them.
TEST_F(ErasePageTest, LoadFlashKeepsTheRestOfTheBlockWhileItsBoxIsTicked) {
    MakeFile(Path("small.bin"), 16);
    Type(kLoadFlashPage, LoadFlashPage::kFileName, Path("small.bin"));
    Type(kLoadFlashPage, LoadFlashPage::kStartAddress, "0x30000");
    Press(kLoadFlashPage, LoadFlashPage::kLoad);
    EXPECT_EQ(statusTexts.back(), "Flash Load complete. Total bytes transferred: 16");
    EXPECT_NE(std::find(statusTexts.begin(), statusTexts.end(), "Saving block: 2"),
              statusTexts.end());
    EXPECT_EQ(Board("SimBoard").FlashMemory()[0x20000], 0x00);

    Press(kLoadFlashPage, LoadFlashPage::kPreserve); // untick
    Press(kLoadFlashPage, LoadFlashPage::kLoad);
    EXPECT_EQ(statusTexts.back(), "Flash Load complete. Total bytes transferred: 16");
    EXPECT_EQ(Board("SimBoard").FlashMemory()[0x20000], 0xFF);
}

// The Load Flash page's "Skip blocks that already match" box, ticked at start: on a board that
// computes checksums (tessary-board on a pseudo-terminal), loading the same file again erases and
// programs nothing; unticked, every block the range overlaps is erased and programmed again.
TEST_F(PagesTest, LoadFlashSkipsMatchingBlocksWhileItsBoxIsTicked) {
    const BoardProcess board;
    gApp->interfaceType = kInterfaceSerial;
    gApp->deviceName = board.Path();
    MakeFile(Path("image.bin"), 20000);
    Type(kLoadFlashPage, LoadFlashPage::kFileName, Path("image.bin"));
    Type(kLoadFlashPage, LoadFlashPage::kStartAddress, "0x77000"); // blocks 4 to 6
    auto erases = [this] {
        return std::count_if(statusTexts.begin(), statusTexts.end(),
                             [](const std::string& text) { return text.starts_with("Erasing"); });
    };
    Press(kLoadFlashPage, LoadFlashPage::kLoad);
    EXPECT_EQ(
        statusTexts.back(),
        "Flash Load complete. Total bytes transferred: 20000 (0 of 3 blocks already matched)");
    EXPECT_EQ(erases(), 3);

    statusTexts.clear();
    Press(kLoadFlashPage, LoadFlashPage::kLoad);
    EXPECT_EQ(statusTexts.back(),
              "Flash Load complete. Total bytes transferred: 0 (3 of 3 blocks already matched)");
    EXPECT_EQ(erases(), 0);

    Press(kLoadFlashPage, LoadFlashPage::kSkip); // untick
    statusTexts.clear();
    Press(kLoadFlashPage, LoadFlashPage::kLoad);
    EXPECT_EQ(statusTexts.back(), "Flash Load complete. Total bytes transferred: 20000");
    EXPECT_EQ(erases(), 3);
}

TEST_F(ErasePageTest, UncheckedBoxesDoNotChangeEraseAll) {
    for (int k = 0; k < EraseFlashPage::kSmallList.count; ++k) {
        Uncheck(EraseFlashPage::kSmallList.firstCheck + k);
    }
    Press(kEraseFlashPage, EraseFlashPage::kEraseAll);
    EXPECT_THAT(statusTexts, ElementsAre("Connecting", "Erasing block: 1", "Erasing block: 2",
                                         "Erasing block: 3", "Erasing block: 4", "Erasing block: 5",
                                         "Erasing block: 6", "Erasing block: 7", "Erase Complete"));
    ExpectErased("SimBoard", {0, 1, 2, 3, 4, 5, 6});
}

TEST_F(ErasePageTest, EraseSelectedWithNoneCheckedSaysSoAndErasesNothing) {
    for (int k = 0; k < EraseFlashPage::kSmallList.count; ++k) {
        Uncheck(EraseFlashPage::kSmallList.firstCheck + k);
    }
    QString text;
    QWidget* owner = nullptr;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        owner = box->parentWidget();
        box->accept();
    });
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_EQ(text, "No blocks are selected for erasing.");
    EXPECT_EQ(owner, &page(kEraseFlashPage));
    EXPECT_TRUE(statusTexts.empty()) << "the board was contacted";
    ExpectErased("SimBoard", {});
}

// The configuration changed without the page following it: no box is taken for a block of
// another layout.
TEST_F(ErasePageTest, EraseSelectedRefusesWhenTheListShownIsNotTheConfigurations) {
    MemoryConfiguration = 3; // the 7-block list is still shown
    QString text;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        box->accept();
    });
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_TRUE(text.contains("not those of the memory configuration in force, Q3 (1024K Flash)"))
        << text.toStdString();
    EXPECT_TRUE(statusTexts.empty()) << "the board was contacted";
    MemoryConfiguration = 0;
    ExpectErased("SimBoard", {});
}

// The default device carries Q3: the window starts in the Q3 layout, as if Q3 had been chosen,
// and Erase Selected erases exactly the block of the box ticked.
class Q3DefaultDeviceTest : public ErasePageTest {
  protected:
    void SetUp() override {
        table_ = "Q3Board sim flash=1m config=q3 default busy=2\n";
        device_ = "Q3Board";
        ErasePageTest::SetUp();
    }
};

TEST_F(Q3DefaultDeviceTest, StartsInTheQ3LayoutAndErasesOnlyTheTickedBlock) {
    ASSERT_EQ(gApp->deviceName, "Q3Board");
    EXPECT_EQ(MemoryConfiguration, 3);
    EXPECT_TRUE(control<QAbstractButton>(kPropertiesPage, PropertiesPage::kQ3)->isChecked());
    for (const int ramPage : {kLoadRamPage, kStoreRamPage}) {
        for (const int id : page(ramPage).ControlIds()) {
            EXPECT_FALSE(page(ramPage).Control(id)->isEnabled())
                << "control " << id << " of page " << ramPage;
        }
    }
    ShowPage(kEraseFlashPage);
    Page& erase = page(kEraseFlashPage);
    const auto large = EraseFlashPage::kLargeList;
    EXPECT_FALSE(erase.Control(EraseFlashPage::kSmallList.group)->isVisible());
    ASSERT_TRUE(erase.Control(large.group)->isVisible());
    for (int k = 0; k < large.count; ++k) {
        erase.SetChecked(large.firstCheck + k, false);
    }
    Press(kEraseFlashPage, large.firstCheck + 8); // "F8000h - 8K Parameter Block"
    ASSERT_EQ(erase.Text(large.firstCheck + 8), "F8000h - 8K Parameter Block");
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_EQ(statusTexts.back(), "Erase Complete");
    ExpectErased("Q3Board", {8});
    const std::span<const uint8_t> flash = Board("Q3Board").FlashMemory();
    EXPECT_EQ(std::count(flash.begin(), flash.end(), 0xFF), 0x2000);
    EXPECT_EQ(flash[0xF7FFF], 0x00);
    EXPECT_EQ(flash[0xF8000], 0xFF);
    EXPECT_EQ(flash[0xF9FFF], 0xFF);
    EXPECT_EQ(flash[0xFA000], 0x00);
}

// Q3 shows the 11-block list, and Erase Selected reads only that list: the boxes of the hidden
// 7-block list do not count.
TEST_F(ErasePageTest, Q3ShowsTheElevenBlockListAndErasesItsCheckedBlocks) {
    ChooseDevice("SimBoard-1M");
    ChooseConfiguration(PropertiesPage::kQ3);
    FillFlash("SimBoard-1M", 0x00);
    ShowPage(kEraseFlashPage);
    Page& erase = page(kEraseFlashPage);
    const auto large = EraseFlashPage::kLargeList;
    EXPECT_TRUE(erase.Control(large.group)->isVisible());
    EXPECT_FALSE(erase.Control(EraseFlashPage::kSmallList.group)->isVisible());
    const std::span<const char* const> labels = LayoutFor(3).labels;
    ASSERT_EQ(labels.size(), 11u);
    for (int k = 0; k < large.count; ++k) {
        EXPECT_TRUE(erase.Control(large.firstCheck + k)->isVisible()) << k;
        EXPECT_EQ(erase.Text(large.firstCheck + k), labels[k]) << k;
    }
    // The page was sized while this list was hidden; its boxes still get their full height.
    QCoreApplication::processEvents();
    const QRect frame = erase.Control(large.group)->geometry();
    EXPECT_TRUE(erase.rect().contains(frame));
    for (int k = 0; k < large.count; ++k) {
        const QWidget* box = erase.Control(large.firstCheck + k);
        EXPECT_GE(box->height(), box->sizeHint().height()) << "check box " << k << " squeezed";
    }
    EXPECT_EQ(erase.Text(large.firstCheck), "00000h - 128K Main Block");
    EXPECT_EQ(erase.Text(large.firstCheck + 10), "FC000h - 16K Boot Block");

    erase.SetChecked(EraseFlashPage::kSmallList.firstCheck, false); // block 0 of the hidden list
    Uncheck(large.firstCheck + 3);
    Uncheck(large.firstCheck + 10);
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_EQ(statusTexts.back(), "Erase Complete");
    ExpectErased("SimBoard-1M", {0, 1, 2, 4, 5, 6, 7, 8, 9});
}

// The Parvel 16MB layout: 128 check boxes in a scroll area, labelled with their addresses, all
// ticked or cleared at once with Select all and Select none, and Erase Selected erases exactly
// the checked ones.
TEST_F(ErasePageTest, ParvelListScrollsAndEraseSelectedUsesIt) {
    ChooseDevice("SimBoard-16M");
    ChooseConfiguration(PropertiesPage::kParvel16M);
    FillFlash("SimBoard-16M", 0x00);
    ShowPage(kEraseFlashPage);
    Page& erase = page(kEraseFlashPage);
    const auto list = EraseFlashPage::kParvel16List;
    ASSERT_TRUE(erase.Control(list.group)->isVisible());
    QCoreApplication::processEvents();
    EXPECT_TRUE(erase.rect().contains(erase.Control(list.group)->geometry()));
    EXPECT_EQ(erase.Text(list.firstCheck), "000000h - 128K Block");
    EXPECT_EQ(erase.Text(list.firstCheck + 127), "FE0000h - 128K Block");
    for (int k = 0; k < list.count; ++k) {
        EXPECT_TRUE(erase.IsChecked(list.firstCheck + k)) << k;
    }
    // Select none clears the whole list, Select all ticks it again.
    Press(kEraseFlashPage, list.selectNone);
    for (int k = 0; k < list.count; ++k) {
        ASSERT_FALSE(erase.IsChecked(list.firstCheck + k)) << k;
    }
    Press(kEraseFlashPage, list.selectAll);
    for (int k = 0; k < list.count; ++k) {
        ASSERT_TRUE(erase.IsChecked(list.firstCheck + k)) << k;
    }
    Press(kEraseFlashPage, list.selectNone);
    Press(kEraseFlashPage, list.firstCheck + 3);
    Press(kEraseFlashPage, list.firstCheck + 100);
    Press(kEraseFlashPage, EraseFlashPage::kEraseSelected);
    EXPECT_THAT(statusTexts, testing::IsSupersetOf({"Erasing block: 4", "Erasing block: 101"}));
    EXPECT_EQ(statusTexts.back(), "Erase Complete");
    ExpectErased("SimBoard-16M", {3, 100});
}

// One memory configuration: the radio button, a board with that Flash, and a range to load.
struct FlashCase {
    const char* name;
    int radio;
    const char* device;
    uint32_t start;
    int size;
    std::vector<std::string> erasedTexts;
};

void PrintTo(const FlashCase& c, std::ostream* out) {
    *out << c.name;
}

class FlashRoundTrip : public PagesTest, public testing::WithParamInterface<FlashCase> {};

// Old data (all zero bits) lies where the file goes: without the auto erase that the page ticks
// at start, programming could only clear bits and the verify would fail.
TEST_P(FlashRoundTrip, LoadFlashWithVerifyThenStoreFlashGivesTheSameFile) {
    const FlashCase& c = GetParam();
    ChooseDevice(c.device);
    ChooseConfiguration(c.radio);
    FillFlash(c.device, 0x00);
    const QByteArray original = MakeFile(Path("in.bin"), c.size);
    const std::string start = "0x" + QString::number(c.start, 16).toStdString();

    Type(kLoadFlashPage, LoadFlashPage::kFileName, Path("in.bin"));
    Type(kLoadFlashPage, LoadFlashPage::kStartAddress, start);
    Press(kLoadFlashPage, LoadFlashPage::kLoad);
    const std::string loaded =
        "Flash Load complete. Total bytes transferred: " + std::to_string(c.size);
    ASSERT_EQ(statusTexts.back(), loaded);
    std::vector<std::string> erasing;
    std::copy_if(statusTexts.begin(), statusTexts.end(), std::back_inserter(erasing),
                 [](const std::string& text) { return text.starts_with("Erasing block: "); });
    EXPECT_THAT(erasing, ElementsAreArray(c.erasedTexts));

    Type(kStoreFlashPage, StoreFlashPage::kFileName, Path("out.bin"));
    Type(kStoreFlashPage, StoreFlashPage::kStartAddress, start);
    Type(kStoreFlashPage, StoreFlashPage::kLength, std::to_string(c.size));
    Press(kStoreFlashPage, StoreFlashPage::kStore);
    EXPECT_EQ(statusTexts.back(),
              "Flash Store complete. Total bytes transferred: " + std::to_string(c.size));
    EXPECT_EQ(ReadFile(Path("out.bin")), original);
}

const std::vector<FlashCase> kFlashCases = {
    {"Q0",
     PropertiesPage::kQ0,
     "SimBoard",
     0x70000,
     0x10000,
     {"Erasing block: 4", "Erasing block: 5", "Erasing block: 6", "Erasing block: 7"}},
    {"Q3",
     PropertiesPage::kQ3,
     "SimBoard-1M",
     0xDF000,
     0x2000,
     {"Erasing block: 7", "Erasing block: 8"}},
    {"Parvel16MB",
     PropertiesPage::kParvel16M,
     "SimBoard-16M",
     0xFD0000,
     0x30000,
     {"Erasing block: 127", "Erasing block: 128"}},
};

INSTANTIATE_TEST_SUITE_P(Configurations, FlashRoundTrip, testing::ValuesIn(kFlashCases),
                         NameOfCase());

} // namespace
} // namespace tessary::test
