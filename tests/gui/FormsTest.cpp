#include "AppFixture.h"
#include "EraseFlashPage.h"
#include "LoadFlashPage.h"
#include "LoadRamPage.h"
#include "StoreFlashPage.h"
#include "StoreRamPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <fstream>

namespace tessary::test {
namespace {

enum class Kind { Group, Label, Edit, Button, Check, Radio };

struct Expected {
    int id;
    Kind kind;
    const char* text;
};

// The forms as the pages must show them.
const std::vector<Expected> kLoadRam = {
    {1102, Kind::Group, "Load RAM Memory From File"},
    {1103, Kind::Group, "File To Load"},
    {1105, Kind::Label, "File Name:"},
    {1031, Kind::Edit, ""},
    {1032, Kind::Button, "Browse"},
    {1106, Kind::Label, "File Start Location:"},
    {1107, Kind::Label, "(Offset from beginning of file)"},
    {1033, Kind::Edit, ""},
    {1104, Kind::Group, "RAM Memory Destination Address"},
    {1108, Kind::Label, "Start Address:"},
    {1034, Kind::Edit, ""},
    {1109, Kind::Label, "Length:"},
    {1035, Kind::Edit, ""},
    {1046, Kind::Check, "Verify after load"},
    {1036, Kind::Button, "Load"},
};
const std::vector<Expected> kLoadFlash = {
    {1086, Kind::Group, "Load Flash Memory From File"},
    {1087, Kind::Group, "File To Load"},
    {1089, Kind::Label, "File Name:"},
    {1037, Kind::Edit, ""},
    {1038, Kind::Button, "Browse"},
    {1090, Kind::Label, "File Start Location:"},
    {1091, Kind::Label, "(Offset from beginning of file)"},
    {1039, Kind::Edit, ""},
    {1088, Kind::Group, "Flash Memory Destination Address"},
    {1092, Kind::Label, "Start Address:"},
    {1040, Kind::Edit, ""},
    {1093, Kind::Label, "Length:"},
    {1041, Kind::Edit, ""},
    {1043, Kind::Check, "Auto erase before"},
    {1094, Kind::Label, "programming."},
    {1096, Kind::Check, "&Skip blocks that already match"},
    {1044, Kind::Check, "Verify after load"},
    {1095, Kind::Check, "Keep the rest of erased blocks"},
    {1042, Kind::Button, "Load"},
};
const std::vector<Expected> kStoreRam = {
    {1110, Kind::Group, "Store RAM Memory Contents To File"},
    {1111, Kind::Group, "RAM Memory Source Address"},
    {1054, Kind::Edit, ""},
    {1114, Kind::Label, "Start Address:"},
    {1055, Kind::Edit, ""},
    {1115, Kind::Label, "Length:"},
    {1112, Kind::Group, "File To Store To"},
    {1057, Kind::Edit, ""},
    {1116, Kind::Label, "File Name:"},
    {1058, Kind::Button, "Browse"},
    {1059, Kind::Edit, ""},
    {1075, Kind::Label, "File Start Location:"},
    {1076, Kind::Label, "(Offset from beginning of file)"},
    {1113, Kind::Group, "File Output"},
    {1070, Kind::Radio, "Append"},
    {1071, Kind::Radio, "Replace"},
    {1072, Kind::Radio, "Overwrite"},
    {1056, Kind::Button, "Store"},
};
const std::vector<Expected> kStoreFlash = {
    {1098, Kind::Group, "Store Flash Memory Contents To File"},
    {1095, Kind::Group, "Flash Memory Source Address"},
    {1048, Kind::Edit, ""},
    {1099, Kind::Label, "Start Address:"},
    {1049, Kind::Edit, ""},
    {1100, Kind::Label, "Length:"},
    {1096, Kind::Group, "File To Store To"},
    {1051, Kind::Edit, ""},
    {1101, Kind::Label, "File Name:"},
    {1052, Kind::Button, "Browse"},
    {1053, Kind::Edit, ""},
    {1073, Kind::Label, "File Start Location:"},
    {1074, Kind::Label, "(Offset from beginning of file)"},
    {1097, Kind::Group, "File Output"},
    {1067, Kind::Radio, "Append"},
    {1068, Kind::Radio, "Replace"},
    {1069, Kind::Radio, "Overwrite"},
    {1050, Kind::Button, "Store"},
};
const std::vector<Expected> kEraseFlash = {
    {1085, Kind::Group, "Blocks To Erase"},
    {1020, Kind::Check, "00000h - 128K Main Block"},
    {1026, Kind::Check, "7C000h - 16K Boot Block"},
    {1084, Kind::Group, "Blocks To Erase"},
    {1027, Kind::Check, "00000h - 128K Main Block"},
    {1037, Kind::Check, "FC000h - 16K Boot Block"},
    {1039, Kind::Button, "Erase All"},
    {1038, Kind::Button, "Erase Selected"},
};
const std::vector<Expected> kProperties = {
    {1066, Kind::Button, "Configure"},
    {1078, Kind::Radio, "Q0 (512K Flash, 128K RAM)"},
    {1079, Kind::Radio, "Q1 (512K Flash, 512K RAM)"},
    {1080, Kind::Radio, "Q2 (1024K RAM)"},
    {1081, Kind::Radio, "Q3 (1024K Flash)"},
    {1083, Kind::Edit, "0x00"},
    {1084, Kind::Radio, "Parvel (4MB Flash, 16MB RAM)"},
    {1085, Kind::Radio, "Parvel (16MB Flash, 16MB RAM)"},
};

bool HasKind(QWidget* widget, Kind kind) {
    switch (kind) {
    case Kind::Group:
        return qobject_cast<QGroupBox*>(widget) != nullptr;
    case Kind::Label:
        return qobject_cast<QLabel*>(widget) != nullptr;
    case Kind::Edit:
        return qobject_cast<QLineEdit*>(widget) != nullptr;
    case Kind::Button:
        return qobject_cast<QPushButton*>(widget) != nullptr;
    case Kind::Check:
        return qobject_cast<QCheckBox*>(widget) != nullptr;
    case Kind::Radio:
        return qobject_cast<QRadioButton*>(widget) != nullptr;
    }
    return false;
}

using FormsTest = AppTest;

TEST_F(FormsTest, EveryPageHoldsItsControlsWithTheirIdsAndTexts) {
    Start();
    const std::pair<int, const std::vector<Expected>*> pages[] = {
        {kLoadRamPage, &kLoadRam},       {kStoreRamPage, &kStoreRam},
        {kPropertiesPage, &kProperties}, {kLoadFlashPage, &kLoadFlash},
        {kStoreFlashPage, &kStoreFlash}, {kEraseFlashPage, &kEraseFlash},
    };
    for (const auto& [index, controls] : pages) {
        for (const Expected& expected : *controls) {
            QWidget* widget = page(index).findChild<QWidget*>(QString::number(expected.id));
            ASSERT_NE(widget, nullptr) << "page " << index << " control " << expected.id;
            EXPECT_TRUE(HasKind(widget, expected.kind))
                << "page " << index << " control " << expected.id;
            EXPECT_EQ(page(index).Text(expected.id), expected.text)
                << "page " << index << " control " << expected.id;
        }
    }
    // Every control of a form, and nothing else, carries an id.
    EXPECT_EQ(page(kLoadRamPage).ControlIds().size(), kLoadRam.size());
    EXPECT_EQ(page(kLoadFlashPage).ControlIds().size(), kLoadFlash.size());
    EXPECT_EQ(page(kStoreRamPage).ControlIds().size(), kStoreRam.size());
    EXPECT_EQ(page(kStoreFlashPage).ControlIds().size(), kStoreFlash.size());
    // the 7- and 11-block lists and their buttons, and the Parvel lists: 2 groups with 32 + 128
    // boxes and Select all and Select none each
    EXPECT_EQ(page(kEraseFlashPage).ControlIds().size(), 22u + 2u + 32u + 128u + 4u);
    EXPECT_EQ(page(kPropertiesPage).ControlIds().size(), 9u);
}

TEST_F(FormsTest, LoadPagesOpenWithTheirBoxesTicked) {
    Start();
    EXPECT_TRUE(page(kLoadRamPage).IsChecked(LoadRamPage::kVerify));
    EXPECT_TRUE(page(kLoadFlashPage).IsChecked(LoadFlashPage::kVerify));
    EXPECT_TRUE(page(kLoadFlashPage).IsChecked(LoadFlashPage::kAutoErase));
    EXPECT_TRUE(page(kLoadFlashPage).IsChecked(LoadFlashPage::kPreserve));
    EXPECT_TRUE(page(kLoadFlashPage).IsChecked(LoadFlashPage::kSkip));
}

struct StoreIds {
    int page;
    int append, replace, overwrite, offset, offsetLabel, offsetNote;
};

class StorePageModes : public AppTest, public testing::WithParamInterface<StoreIds> {};

TEST_P(StorePageModes, AppendAtStartAndOnlyOverwriteEnablesTheOffset) {
    Start();
    const StoreIds& ids = GetParam();
    Page& store = page(ids.page);
    auto offsetEnabled = [&] {
        const bool field = store.Control(ids.offset)->isEnabled();
        EXPECT_EQ(store.Control(ids.offsetLabel)->isEnabled(), field);
        EXPECT_EQ(store.Control(ids.offsetNote)->isEnabled(), field);
        return field;
    };
    EXPECT_TRUE(store.IsChecked(ids.append));
    EXPECT_FALSE(store.IsChecked(ids.replace));
    EXPECT_FALSE(store.IsChecked(ids.overwrite));
    EXPECT_FALSE(offsetEnabled());

    store.SetText(ids.offset, "0x100");
    control<QAbstractButton>(ids.page, ids.overwrite)->click();
    EXPECT_TRUE(offsetEnabled());
    EXPECT_FALSE(store.IsChecked(ids.append));
    control<QAbstractButton>(ids.page, ids.replace)->click();
    EXPECT_FALSE(offsetEnabled());
    control<QAbstractButton>(ids.page, ids.overwrite)->click();
    control<QAbstractButton>(ids.page, ids.append)->click();
    EXPECT_FALSE(offsetEnabled());
    EXPECT_EQ(store.Text(ids.offset), "0x100");
}

INSTANTIATE_TEST_SUITE_P(
    BothPages, StorePageModes,
    testing::Values(StoreIds{kStoreRamPage, 1070, 1071, 1072, 1059, 1075, 1076},
                    StoreIds{kStoreFlashPage, 1067, 1068, 1069, 1053, 1073, 1074}));

TEST_F(FormsTest, EraseFlashOpensWithEveryBoxTickedAndTheSmallListShown) {
    Start();
    Page& erase = page(kEraseFlashPage);
    for (int id = 1020; id <= 1037; ++id) {
        EXPECT_TRUE(erase.IsChecked(id)) << id;
        EXPECT_EQ(erase.Control(id)->isHidden(), id >= 1027) << id;
    }
    EXPECT_FALSE(erase.Control(1085)->isHidden());
    EXPECT_TRUE(erase.Control(1084)->isHidden());
    EXPECT_FALSE(erase.Control(EraseFlashPage::kEraseAll)->isHidden());
    EXPECT_FALSE(erase.Control(EraseFlashPage::kEraseSelected)->isHidden());
}

// The browse buttons: the file dialog's choice lands in the file field; a cancelled dialog
// changes nothing.
class BrowseTest : public AppTest {
  protected:
    // Presses Browse, types `typed` into the file dialog and confirms; returns the field's text.
    std::string Browse(int pageIndex, int browse, int field, const QString& typed, bool cancel,
                       QFileDialog::AcceptMode* mode = nullptr) {
        ModalAnswerer answerer([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (mode != nullptr) {
                *mode = dialog->acceptMode();
            }
            if (cancel) {
                dialog->reject();
                return;
            }
            dialog->setDirectory(QString::fromStdString(library_->directory().string()));
            dialog->selectFile(typed);
            static_cast<QDialog*>(dialog)->accept();
        });
        control<QAbstractButton>(pageIndex, browse)->click();
        EXPECT_EQ(answerer.answered(), 1);
        return page(pageIndex).Text(field);
    }
    std::string InDirectory(const char* name) { return (library_->directory() / name).string(); }
};

TEST_F(BrowseTest, LoadRamTakesTheChosenFile) {
    Start();
    std::ofstream(InDirectory("image.hex")) << "data";
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    EXPECT_EQ(Browse(kLoadRamPage, LoadRamPage::kBrowse, LoadRamPage::kFileName, "image.hex", false,
                     &mode),
              InDirectory("image.hex"));
    EXPECT_EQ(mode, QFileDialog::AcceptOpen);
}

TEST_F(BrowseTest, LoadFlashAddsTheBinSuffixToATypedName) {
    Start();
    std::ofstream(InDirectory("image.bin")) << "data";
    EXPECT_EQ(
        Browse(kLoadFlashPage, LoadFlashPage::kBrowse, LoadFlashPage::kFileName, "image", false),
        InDirectory("image.bin"));
}

TEST_F(BrowseTest, StorePagesSaveWithTheBinSuffix) {
    Start();
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    EXPECT_EQ(
        Browse(kStoreRamPage, StoreRamPage::kBrowse, StoreRamPage::kFileName, "dump", false, &mode),
        InDirectory("dump.bin"));
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    // An existing file is taken without a question.
    std::ofstream(InDirectory("old.bin")) << "data";
    EXPECT_EQ(Browse(kStoreFlashPage, StoreFlashPage::kBrowse, StoreFlashPage::kFileName, "old.bin",
                     false),
              InDirectory("old.bin"));
}

// The next dialog, on any page, opens in the folder of the file chosen last, with the filters
// for binary images, Intel HEX, S-records and all files.
TEST_F(BrowseTest, DialogsOpenInTheLastFolderUsedWithTheirFilters) {
    Start();
    const std::filesystem::path folder = library_->directory() / "images";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "first.bin") << "data";
    {
        ModalAnswerer choose([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->setDirectory(QString::fromStdString(folder.string()));
            dialog->selectFile(QStringLiteral("first.bin"));
            static_cast<QDialog*>(dialog)->accept();
        });
        control<QAbstractButton>(kLoadRamPage, LoadRamPage::kBrowse)->click();
        ASSERT_EQ(choose.answered(), 1);
    }

    QString opened;
    QStringList filters;
    ModalAnswerer look([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        opened = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    control<QAbstractButton>(kStoreFlashPage, StoreFlashPage::kBrowse)->click();
    ASSERT_EQ(look.answered(), 1);
    EXPECT_EQ(std::filesystem::canonical(opened.toStdString()), std::filesystem::canonical(folder));
    ASSERT_EQ(filters.size(), 4);
    EXPECT_TRUE(filters[0].contains(QStringLiteral("*.bin")));
    EXPECT_TRUE(filters[1].contains(QStringLiteral("*.hex")));
    EXPECT_TRUE(filters[2].contains(QStringLiteral("*.srec")));
    EXPECT_TRUE(filters[3].contains(QStringLiteral("(*)")));
}

// Choosing a format's filter, as a user does in the filter box, makes a typed name take that
// format's extension; going back to "All files" gives the page's own suffix again.
TEST_F(BrowseTest, ATypedNameTakesTheExtensionOfTheChosenFilter) {
    Start();
    const auto chooseFilter = [](QFileDialog* dialog, int index) {
        auto* box = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(index);
        emit box->activated(index);
        emit box->textActivated(box->currentText());
    };
    const auto save = [&](int filter, const char* typed) {
        ModalAnswerer answerer([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->setDirectory(QString::fromStdString(library_->directory().string()));
            chooseFilter(dialog, filter);
            dialog->selectFile(QString::fromUtf8(typed));
            static_cast<QDialog*>(dialog)->accept();
        });
        control<QAbstractButton>(kStoreRamPage, StoreRamPage::kBrowse)->click();
        EXPECT_EQ(answerer.answered(), 1);
        return page(kStoreRamPage).Text(StoreRamPage::kFileName);
    };
    EXPECT_EQ(save(1, "firmware"), InDirectory("firmware.hex"));
    EXPECT_EQ(save(2, "firmware"), InDirectory("firmware.srec"));
    EXPECT_EQ(save(3, "firmware"), InDirectory("firmware.bin"));
    EXPECT_EQ(save(1, "named.s37"), InDirectory("named.s37")); // a typed extension stays
}

TEST_F(BrowseTest, CancelLeavesTheFieldAsItWas) {
    Start();
    page(kStoreRamPage).SetText(StoreRamPage::kFileName, "kept.bin");
    EXPECT_EQ(Browse(kStoreRamPage, StoreRamPage::kBrowse, StoreRamPage::kFileName, "other", true),
              "kept.bin");
}

} // namespace
} // namespace tessary::test
