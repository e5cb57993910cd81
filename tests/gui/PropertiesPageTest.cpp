#include "PropertiesPage.h"
#include "AppFixture.h"
#include "EraseFlashPage.h"
#include "StatusArea.h"
#include "lnkutil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <initializer_list>
#include <vector>

namespace tessary::test {
namespace {

constexpr const char* kBaseMessage = "Register address must be 0x00 - 0xff and a multiple of 8";

// The controls of each page, as the layout step must reach them.
std::vector<int> Ids(std::initializer_list<std::pair<int, int>> ranges,
                     std::initializer_list<int> singles = {}) {
    std::vector<int> ids(singles);
    for (const auto& [first, last] : ranges) {
        for (int id = first; id <= last; ++id) {
            ids.push_back(id);
        }
    }
    return ids;
}
const std::vector<int> kLoadRamIds = Ids({{1102, 1109}, {1031, 1035}}, {1046, 1036});
const std::vector<int> kStoreRamIds = Ids({{1110, 1116}, {1054, 1059}, {1070, 1072}}, {1075, 1076});
const std::vector<int> kLoadFlashIds = Ids({{1086, 1094}, {1037, 1044}});
const std::vector<int> kStoreFlashIds =
    Ids({{1095, 1101}, {1048, 1053}, {1067, 1069}}, {1073, 1074});
const std::vector<int> kEraseFlashIds = Ids({{1020, 1037}}, {1039, 1038, 1085, 1084});

class PropertiesPageTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        Start(table_);
        properties().SetMessageSink(&messages_);
    }

    Page& properties() { return page(kPropertiesPage); }
    QLineEdit* baseField() {
        return control<QLineEdit>(kPropertiesPage, PropertiesPage::kRegisterBase);
    }
    QComboBox* deviceList() {
        return control<QComboBox>(kPropertiesPage, PropertiesPage::kDeviceList);
    }

    // Types the text into the register-base field and moves the focus away from it.
    void LeaveRegisterBase(const QString& text) {
        baseField()->setText(text);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(baseField(), &leave);
    }

    void Choose(int radio) { control<QAbstractButton>(kPropertiesPage, radio)->click(); }

    void ExpectEnabled(int pageIndex, const std::vector<int>& ids, bool enabled) {
        for (const int id : ids) {
            const QWidget* control = page(pageIndex).Control(id);
            ASSERT_NE(control, nullptr) << "page " << pageIndex << " has no control " << id;
            EXPECT_EQ(control->isEnabled(), enabled) << "page " << pageIndex << " control " << id;
        }
    }

    void ExpectShown(const EraseFlashPage::BlockList& list, bool shown) {
        Page& erase = page(kEraseFlashPage);
        EXPECT_EQ(!erase.Control(list.group)->isHidden(), shown) << "list " << list.group;
        for (int i = 0; i < list.count; ++i) {
            EXPECT_EQ(!erase.Control(list.firstCheck + i)->isHidden(), shown)
                << "check box " << list.firstCheck + i;
        }
    }

    bool EraseSelectedShown() {
        return !page(kEraseFlashPage).Control(EraseFlashPage::kEraseSelected)->isHidden();
    }

    const char* table_ = kTableWithDefault;
    RecordingSink messages_;
};

TEST_F(PropertiesPageTest, StartsWithTheLibrarysDevicesQ0AndBase0x00) {
    ASSERT_EQ(deviceList()->count(), 2);
    EXPECT_EQ(deviceList()->itemText(0), "SimBoard");
    EXPECT_EQ(deviceList()->itemText(1), "SimBoard-1M");
    EXPECT_EQ(deviceList()->currentIndex(), 0);
    EXPECT_EQ(baseField()->text(), "0x00");
    EXPECT_TRUE(properties().IsChecked(PropertiesPage::kQ0));
    for (const int other : {1079, 1080, 1081, 1084, 1085}) {
        EXPECT_FALSE(properties().IsChecked(other)) << other;
    }
    // The other pages open in the Q0 layout.
    ExpectEnabled(kLoadRamPage, kLoadRamIds, true);
    ExpectEnabled(kEraseFlashPage, kEraseFlashIds, true);
    ExpectShown(EraseFlashPage::kSmallList, true);
    ExpectShown(EraseFlashPage::kLargeList, false);
    EXPECT_TRUE(EraseSelectedShown());
}

TEST_F(PropertiesPageTest, ControlsSitInsideTheirGroupBoxes) {
    const auto groups = properties().findChildren<QGroupBox*>();
    auto group = [&](const QString& title) {
        for (QGroupBox* box : groups) {
            if (box->title() == title) {
                return box->geometry();
            }
        }
        ADD_FAILURE() << "no group box " << title.toStdString();
        return QRect();
    };
    const QRect connection = group("Connection Properties");
    const QRect memory = group("Memory Configuration");
    const QRect base = group("Starting Register Address");
    EXPECT_TRUE(connection.contains(properties().Control(1066)->geometry()));
    EXPECT_TRUE(connection.contains(properties().Control(1077)->geometry()));
    EXPECT_TRUE(base.contains(properties().Control(1083)->geometry()));
    for (const int radio : {1084, 1085, 1078, 1079, 1080, 1081}) {
        EXPECT_TRUE(memory.contains(properties().Control(radio)->geometry())) << radio;
    }
    // The Parvel choices stand above the Q choices.
    EXPECT_LT(properties().Control(1085)->y(), properties().Control(1078)->y());
}

struct BaseCase {
    const char* text;
    int32_t value;
};

class RegisterBaseAccepted : public PropertiesPageTest,
                             public testing::WithParamInterface<BaseCase> {};

TEST_P(RegisterBaseAccepted, BecomesTheBaseAndStaysAsTyped) {
    RegisterBase = 0x48;
    LeaveRegisterBase(GetParam().text);
    EXPECT_EQ(RegisterBase, GetParam().value);
    EXPECT_EQ(baseField()->text(), GetParam().text);
    EXPECT_TRUE(messages_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, RegisterBaseAccepted,
                         testing::Values(BaseCase{"0x10", 16}, BaseCase{"16", 16},
                                         BaseCase{"00010000", 16}, BaseCase{"0xF8", 248},
                                         BaseCase{"0x00", 0}, BaseCase{"0, 0 8", 8}));

class RegisterBaseRefused : public PropertiesPageTest,
                            public testing::WithParamInterface<const char*> {};

TEST_P(RegisterBaseRefused, ShowsTheMessageAndResetsToZero) {
    RegisterBase = 0x48;
    LeaveRegisterBase(GetParam());
    ASSERT_EQ(messages_.messages.size(), 1u);
    const RecordedMessage& shown = messages_.messages.front();
    EXPECT_EQ(shown.text, kBaseMessage);
    EXPECT_EQ(shown.caption, "error");
    EXPECT_EQ(shown.icon, MessageIcon::None);
    EXPECT_TRUE(shown.ownedByPage);
    EXPECT_EQ(RegisterBase, 0);
    EXPECT_EQ(baseField()->text(), "0x00");
}

INSTANTIATE_TEST_SUITE_P(Values, RegisterBaseRefused,
                         testing::Values("0x04", "256", "-8", "abc", "", "0x100", "0xF9"));

// Only the first 15 characters count: "0x0000000000008" of this text, which is 8.
TEST_F(PropertiesPageTest, RegisterBaseReadsFifteenCharacters) {
    RegisterBase = 0x48;
    LeaveRegisterBase("0x00000000000080");
    EXPECT_EQ(RegisterBase, 8);
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(PropertiesPageTest, RegisterBaseIsCheckedOnlyWhenTheFieldIsLeft) {
    RegisterBase = 0x48;
    baseField()->setText("abc");
    QTest::keyClick(baseField(), Qt::Key_Return);
    EXPECT_EQ(RegisterBase, 0x48);
    EXPECT_TRUE(messages_.messages.empty());
}

// The real box: caption "error", no icon, over the page, answered with OK.
TEST_F(PropertiesPageTest, RefusedBaseShowsAPlainMessageBoxOverThePage) {
    properties().SetMessageSink(nullptr);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QWidget* owner = nullptr;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        owner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    LeaveRegisterBase("0x04");
    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_EQ(title, "error");
    EXPECT_EQ(text, kBaseMessage);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(owner, &properties());
    EXPECT_EQ(baseField()->text(), "0x00");
}

TEST_F(PropertiesPageTest, Q2DisablesEveryFlashControlAndQ0EnablesThemAgain) {
    Choose(PropertiesPage::kQ2);
    EXPECT_EQ(MemoryConfiguration, 2);
    ExpectEnabled(kLoadFlashPage, kLoadFlashIds, false);
    ExpectEnabled(kStoreFlashPage, kStoreFlashIds, false);
    ExpectEnabled(kEraseFlashPage, kEraseFlashIds, false);
    ExpectEnabled(kLoadRamPage, kLoadRamIds, true);
    ExpectEnabled(kStoreRamPage, kStoreRamIds, true);

    Choose(PropertiesPage::kQ0);
    EXPECT_EQ(MemoryConfiguration, 0);
    ExpectEnabled(kLoadFlashPage, kLoadFlashIds, true);
    ExpectEnabled(kStoreFlashPage, kStoreFlashIds, true);
    ExpectEnabled(kEraseFlashPage, kEraseFlashIds, true);
}

TEST_F(PropertiesPageTest, Q3DisablesEveryRamControlAndShowsTheElevenBlockList) {
    Choose(PropertiesPage::kQ3);
    EXPECT_EQ(MemoryConfiguration, 3);
    ExpectEnabled(kLoadRamPage, kLoadRamIds, false);
    ExpectEnabled(kStoreRamPage, kStoreRamIds, false);
    ExpectEnabled(kLoadFlashPage, kLoadFlashIds, true);
    ExpectShown(EraseFlashPage::kLargeList, true);
    ExpectShown(EraseFlashPage::kSmallList, false);
    EXPECT_TRUE(EraseSelectedShown());

    // Q2 leaves the Erase Flash page's list as it was.
    Choose(PropertiesPage::kQ2);
    ExpectShown(EraseFlashPage::kLargeList, true);
    ExpectShown(EraseFlashPage::kSmallList, false);

    // Enabling a store page enables its offset field, whatever its output mode.
    Choose(PropertiesPage::kQ0);
    ExpectEnabled(kLoadRamPage, kLoadRamIds, true);
    ExpectEnabled(kStoreRamPage, kStoreRamIds, true);
    ExpectShown(EraseFlashPage::kSmallList, true);
    ExpectShown(EraseFlashPage::kLargeList, false);
}

class ParvelLayout : public PropertiesPageTest, public testing::WithParamInterface<int> {};

TEST_P(ParvelLayout, ShowsItsScrolledBlockListAndQ0BringsTheSmallListBack) {
    Choose(GetParam());
    const bool small = GetParam() == PropertiesPage::kParvel4M;
    EXPECT_EQ(MemoryConfiguration, small ? 5 : 6);
    ExpectShown(EraseFlashPage::kSmallList, false);
    ExpectShown(EraseFlashPage::kLargeList, false);
    ExpectShown(EraseFlashPage::kParvel4List, small);
    ExpectShown(EraseFlashPage::kParvel16List, !small);
    EXPECT_TRUE(EraseSelectedShown());
    EXPECT_FALSE(page(kEraseFlashPage).Control(EraseFlashPage::kEraseAll)->isHidden());
    ExpectEnabled(kEraseFlashPage, kEraseFlashIds, true);
    ExpectEnabled(kLoadRamPage, kLoadRamIds, true);
    EXPECT_FALSE(properties().IsChecked(PropertiesPage::kQ0));

    Choose(PropertiesPage::kQ0);
    ExpectShown(EraseFlashPage::kSmallList, true);
    ExpectShown(EraseFlashPage::kParvel4List, false);
    ExpectShown(EraseFlashPage::kParvel16List, false);
    EXPECT_TRUE(EraseSelectedShown());
}

INSTANTIATE_TEST_SUITE_P(Both, ParvelLayout,
                         testing::Values(PropertiesPage::kParvel4M, PropertiesPage::kParvel16M));

TEST_F(PropertiesPageTest, Q1StoresOneWithTheSevenBlockList) {
    Choose(PropertiesPage::kParvel16M);
    Choose(PropertiesPage::kQ1);
    EXPECT_EQ(MemoryConfiguration, 1);
    ExpectShown(EraseFlashPage::kSmallList, true);
    EXPECT_TRUE(EraseSelectedShown());
}

TEST_F(PropertiesPageTest, ChoosingADeviceSetsItAtOnce) {
    QTest::keyClick(deviceList(), Qt::Key_Down);
    EXPECT_EQ(deviceList()->currentIndex(), 1);
    EXPECT_EQ(gApp->deviceName, "SimBoard-1M");
    QTest::keyClick(deviceList(), Qt::Key_Up);
    EXPECT_EQ(gApp->deviceName, "SimBoard");
}

// Closes the library's device dialog without changes.
void CancelDialogs(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    }
}

TEST_F(PropertiesPageTest, ConfigureRefillsTheListAndTakesTheDefaultDevice) {
    QTest::keyClick(deviceList(), Qt::Key_Down);
    ModalAnswerer answerer(CancelDialogs);
    control<QAbstractButton>(kPropertiesPage, PropertiesPage::kConfigure)->click();
    LnkErc error = 0;
    EXPECT_EQ(deviceList()->count(), ZmgrGetDevCount(&error));
    EXPECT_EQ(deviceList()->currentIndex(), 0);
    EXPECT_EQ(gApp->deviceName, "SimBoard");
}

class WithoutDefaultDevice : public PropertiesPageTest {
  protected:
    void SetUp() override {
        table_ = kTableWithoutDefault;
        PropertiesPageTest::SetUp();
    }
};

TEST_F(WithoutDefaultDevice, NothingIsSelectedAndConfigureLeavesNoDevice) {
    EXPECT_EQ(deviceList()->currentIndex(), -1);
    EXPECT_EQ(gApp->deviceName, "COM1");
    QTest::keyClick(deviceList(), Qt::Key_Down);
    EXPECT_EQ(gApp->deviceName, "SimBoard");

    ModalAnswerer answerer(CancelDialogs);
    control<QAbstractButton>(kPropertiesPage, PropertiesPage::kConfigure)->click();
    EXPECT_EQ(deviceList()->count(), 2);
    EXPECT_EQ(deviceList()->currentIndex(), -1);
    EXPECT_EQ(gApp->deviceName, "");
}

} // namespace
} // namespace tessary::test

namespace tessary::test {
namespace {

// A board carries its configuration: choosing its device checks the matching radio button, fills
// the register base field, lays the pages out and says so in the status bar.
class DeviceSettingsTest : public PropertiesPageTest {
  protected:
    void SetUp() override {
        table_ = "SimBoard sim default flash=512k\n"
                 "Big      sim flash=16m config=parvel16 base=0x40\n"
                 "Q3Only   sim flash=1m config=q3\n";
        PropertiesPageTest::SetUp();
    }
    bool Checked(int radio) {
        return control<QAbstractButton>(kPropertiesPage, radio)->isChecked();
    }
};

TEST_F(DeviceSettingsTest, ChoosingADeviceAppliesItsConfigurationAndBase) {
    QTest::keyClick(deviceList(), Qt::Key_Down);
    ASSERT_EQ(gApp->deviceName, "Big");
    EXPECT_TRUE(Checked(PropertiesPage::kParvel16M));
    EXPECT_FALSE(Checked(PropertiesPage::kQ0));
    EXPECT_EQ(MemoryConfiguration, 6);
    EXPECT_EQ(baseField()->text(), "0x40");
    EXPECT_EQ(RegisterBase, 0x40);
    ExpectShown(EraseFlashPage::kSmallList, false);
    EXPECT_EQ(window().StatusBar()->Text(),
              "Big: Parvel (16MB Flash, 16MB RAM), register base 0x40");

    // Without base= the field keeps what it held; the layout follows the configuration.
    QTest::keyClick(deviceList(), Qt::Key_Down);
    EXPECT_TRUE(Checked(PropertiesPage::kQ3));
    EXPECT_EQ(MemoryConfiguration, 3);
    EXPECT_EQ(baseField()->text(), "0x40");
    ExpectEnabled(kLoadRamPage, kLoadRamIds, false);
    EXPECT_EQ(window().StatusBar()->Text(), "Q3Only: Q3 (1024K Flash)");
}

// The configuration follows the device: a device's config= is applied; a device without one keeps
// the configuration in force, and the status bar names the device chosen and says so; after Save
// in the device dialog the default device is chosen by the same rule.
TEST_F(DeviceSettingsTest, TheConfigurationFollowsTheDeviceChosen) {
    Choose(PropertiesPage::kQ1);
    QTest::keyClick(deviceList(), Qt::Key_Down); // Big, config=parvel16
    EXPECT_EQ(MemoryConfiguration, 6);
    QTest::keyClick(deviceList(), Qt::Key_Up); // SimBoard, no config=
    ASSERT_EQ(gApp->deviceName, "SimBoard");
    EXPECT_EQ(MemoryConfiguration, 6);
    EXPECT_TRUE(Checked(PropertiesPage::kParvel16M));
    ExpectShown(EraseFlashPage::kParvel16List, true);
    EXPECT_EQ(window().StatusBar()->Text(),
              "SimBoard: configuration Parvel (16MB Flash, 16MB RAM) kept");

    Choose(PropertiesPage::kQ1);
    QTest::keyClick(deviceList(), Qt::Key_Down);
    QTest::keyClick(deviceList(), Qt::Key_Down); // Q3Only
    ASSERT_EQ(MemoryConfiguration, 3);
    ModalAnswerer answerer([](QWidget* modal) {
        if (auto* save = modal->findChild<QAbstractButton*>(QStringLiteral("save"))) {
            save->click();
        }
    });
    control<QAbstractButton>(kPropertiesPage, PropertiesPage::kConfigure)->click();
    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_EQ(gApp->deviceName, "SimBoard");
    EXPECT_EQ(deviceList()->currentText(), "SimBoard");
    EXPECT_EQ(MemoryConfiguration, 3);
    EXPECT_TRUE(Checked(PropertiesPage::kQ3));
    EXPECT_EQ(window().StatusBar()->Text(), "SimBoard: configuration Q3 (1024K Flash) kept");
}

TEST_F(DeviceSettingsTest, ADeviceWithoutSettingsChangesNothing) {
    Choose(PropertiesPage::kQ1);
    QTest::keyClick(deviceList(), Qt::Key_Down);
    QTest::keyClick(deviceList(), Qt::Key_Up);
    EXPECT_EQ(gApp->deviceName, "SimBoard");
    EXPECT_TRUE(Checked(PropertiesPage::kParvel16M));
}

} // namespace
} // namespace tessary::test
