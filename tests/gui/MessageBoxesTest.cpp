// What the pages show in message boxes, as real boxes answered the way a person answers them:
// form errors over the page without an icon, with the focus on the field they name afterwards;
// board failures with the error icon; controller and verification failures with no owner window.
#include "EraseFlashPage.h"
#include "LoadFlashPage.h"
#include "LoadRamPage.h"
#include "PagesFixture.h"
#include "StatusArea.h"
#include "StoreFlashPage.h"
#include "StoreRamPage.h"

#include <QMessageBox>
#include <QProgressBar>

#include <utility>

namespace tessary::test {
namespace {

struct ShownBox {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
    std::string cause; // the informative text below the message
};

class MessageBoxTest : public PagesTest {
  protected:
    // Presses the button and answers every box that comes up with OK.
    std::vector<ShownBox> PressAndAnswer(int pageIndex, int id) {
        std::vector<ShownBox> shown;
        ModalAnswerer answerer([&shown](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr) << "a modal window that is no message box";
            shown.push_back({box->windowTitle().toStdString(), box->text().toStdString(),
                             box->icon(), box->parentWidget(),
                             box->informativeText().toStdString()});
            box->button(QMessageBox::Ok)->click();
        });
        Press(pageIndex, id);
        return shown;
    }
};

// One form that the page's checks refuse.
struct FormCase {
    const char* name;
    int page;
    int fileNameField; // given a path in the test's directory, when fileName is not empty
    const char* fileName;
    std::vector<std::pair<int, const char*>> fields;
    int modeButton; // 0: the mode the page opens with
    int button;
    const char* caption;
    const char* text;
    std::vector<std::pair<int, const char*>> fieldsAfter;
    int named; // the field the message names, which has the focus afterwards
};

void PrintTo(const FormCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedForm : public MessageBoxTest, public testing::WithParamInterface<FormCase> {};

TEST_P(RefusedForm, ShowsOneBoxOverThePageFocusesTheFieldItNamesAndTouchesNothing) {
    const FormCase& c = GetParam();
    if (*c.fileName != '\0') {
        Type(c.page, c.fileNameField, Path(c.fileName));
    }
    for (const auto& [id, text] : c.fields) {
        Type(c.page, id, text);
    }
    if (c.modeButton != 0) {
        Press(c.page, c.modeButton);
    }
    // A click gives the button the focus.
    ShowPage(c.page);
    page(c.page).Control(c.button)->setFocus(Qt::MouseFocusReason);
    const std::vector<ShownBox> shown = PressAndAnswer(c.page, c.button);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, c.caption);
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_EQ(shown[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(shown[0].owner, &page(c.page));
    EXPECT_EQ(window().focusWidget(), page(c.page).Control(c.named));
    for (const auto& [id, text] : c.fieldsAfter) {
        EXPECT_EQ(FieldText(c.page, id), text) << "field " << id;
    }
    EXPECT_EQ(window().StatusBar()->Text(), "Ready");
    EXPECT_TRUE(statusTexts.empty()) << "an operation ran";
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
}

constexpr const char* kLengthMessage = "Must enter valid Decimal or Hex number to specify length.";

INSTANTIATE_TEST_SUITE_P(
    Pages, RefusedForm,
    testing::Values(
        FormCase{"LoadRamWithoutName",
                 kLoadRamPage,
                 LoadRamPage::kFileName,
                 "",
                 {},
                 0,
                 LoadRamPage::kLoad,
                 "Error",
                 "No file name entered.",
                 {},
                 LoadRamPage::kFileName},
        // The address passed and shows its cleaned text; the blanks-only length is no number.
        FormCase{"LoadRamBlankLength",
                 kLoadRamPage,
                 LoadRamPage::kFileName,
                 "in.bin",
                 {{LoadRamPage::kStartAddress, "1,000"}, {LoadRamPage::kLength, "   "}},
                 0,
                 LoadRamPage::kLoad,
                 "Error",
                 kLengthMessage,
                 {{LoadRamPage::kStartAddress, "1000"}, {LoadRamPage::kLength, "   "}},
                 LoadRamPage::kLength},
        FormCase{"LoadFlashWithoutName",
                 kLoadFlashPage,
                 LoadFlashPage::kFileName,
                 "",
                 {},
                 0,
                 LoadFlashPage::kLoad,
                 "Flash Load Error",
                 "No file name specified",
                 {},
                 LoadFlashPage::kFileName},
        FormCase{"LoadFlashPastTheEnd",
                 kLoadFlashPage,
                 LoadFlashPage::kFileName,
                 "in.bin",
                 {{LoadFlashPage::kStartAddress, "0x70000"}, {LoadFlashPage::kLength, "0x10001"}},
                 0,
                 LoadFlashPage::kLoad,
                 "Flash Load Error",
                 "Invalid Flash address:  maximum Flash address is 0x80000.",
                 {},
                 LoadFlashPage::kStartAddress},
        FormCase{"StoreRamWithoutLength",
                 kStoreRamPage,
                 StoreRamPage::kFileName,
                 "out.bin",
                 {{StoreRamPage::kStartAddress, "0x1,000"}},
                 0,
                 StoreRamPage::kStore,
                 "Error",
                 kLengthMessage,
                 {{StoreRamPage::kStartAddress, "0x1000"}},
                 StoreRamPage::kLength},
        FormCase{"StoreRamOverwriteBadOffset",
                 kStoreRamPage,
                 StoreRamPage::kFileName,
                 "out.bin",
                 {{StoreRamPage::kFileOffset, "zz"}, {StoreRamPage::kLength, "16"}},
                 StoreRamPage::kOverwrite,
                 StoreRamPage::kStore,
                 "RAM Store Error",
                 "Must enter valid Decimal or Hex number to specify file offset.",
                 {},
                 StoreRamPage::kFileOffset},
        FormCase{"StoreFlashWithoutName",
                 kStoreFlashPage,
                 StoreFlashPage::kFileName,
                 "",
                 {{StoreFlashPage::kLength, "16"}},
                 0,
                 StoreFlashPage::kStore,
                 "Flash Store Error",
                 "No file name specified.",
                 {},
                 StoreFlashPage::kFileName},
        FormCase{"StoreFlashWithoutLength",
                 kStoreFlashPage,
                 StoreFlashPage::kFileName,
                 "out.bin",
                 {},
                 0,
                 StoreFlashPage::kStore,
                 "Flash Store Error",
                 kLengthMessage,
                 {},
                 StoreFlashPage::kLength}),
    NameOfCase());

// With Append checked the offset field is not examined: no box, and the store runs.
TEST_F(MessageBoxTest, AppendIgnoresAnOffsetThatIsNoNumber) {
    Type(kStoreRamPage, StoreRamPage::kFileName, Path("out.bin"));
    Type(kStoreRamPage, StoreRamPage::kFileOffset, "zz");
    Type(kStoreRamPage, StoreRamPage::kLength, "16");
    EXPECT_TRUE(PressAndAnswer(kStoreRamPage, StoreRamPage::kStore).empty());
    EXPECT_EQ(statusTexts.back(), "Ram Store complete. Total bytes transferred: 16");
    EXPECT_EQ(ReadFile(Path("out.bin")).size(), 16);
}

// One run that fails at the board.
struct FailureCase {
    const char* name;
    const char* device;
    int page;
    int fileNameField;
    int button;
    const char* caption;
    const char* text;
    QMessageBox::Icon icon;
    bool ownedByPage;
    const char* finalStatus;
    const char* causeStart = ""; // what the box's informative text begins with
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class BoardFailure : public MessageBoxTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(BoardFailure, ShowsOneBoxAndEndsWithTheErrorStatus) {
    const FailureCase& c = GetParam();
    MakeFile(Path("in.bin"), 20000);
    ChooseDevice(c.device);
    if (c.fileNameField != 0) {
        Type(c.page, c.fileNameField, Path("in.bin"));
    }
    const std::vector<ShownBox> shown = PressAndAnswer(c.page, c.button);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, c.caption);
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_EQ(shown[0].icon, c.icon);
    EXPECT_EQ(shown[0].owner, c.ownedByPage ? &page(c.page) : nullptr);
    EXPECT_EQ(shown[0].cause.rfind(c.causeStart, 0), 0u) << shown[0].cause;
    EXPECT_EQ(window().StatusBar()->Text(), c.finalStatus);
    EXPECT_TRUE(window().StatusBar()->Progress()->isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Pages, BoardFailure,
    testing::Values(
        FailureCase{"LoadRamNoConnection", "Broken", kLoadRamPage, LoadRamPage::kFileName,
                    LoadRamPage::kLoad, "RAM Load Error", "Unable to connect to target board",
                    QMessageBox::Critical, true, "RAM load error"},
        // A transfer that breaks off ends with the status text alone; its cause gets a box.
        FailureCase{"LoadRamTransferBreaksOff", "Dropping", kLoadRamPage, LoadRamPage::kFileName,
                    LoadRamPage::kLoad, "RAM Load Error", "RAM load error", QMessageBox::Critical,
                    true, "RAM load error",
                    "writing 8192 bytes of RAM at 0x002000: board 'Dropping': the device "
                    "library's error 7"},
        FailureCase{"LoadRamVerifyDifference", "Flaky", kLoadRamPage, LoadRamPage::kFileName,
                    LoadRamPage::kLoad, "Tessary Error", "Write verification failed.",
                    QMessageBox::Critical, false, "RAM load error"},
        // The rest of the block is read twice before the erase; the flipped reads differ.
        FailureCase{"LoadFlashKeptBytesDiffer", "Flaky", kLoadFlashPage, LoadFlashPage::kFileName,
                    LoadFlashPage::kLoad, "Flash Load Error",
                    "Flash block 1 read back differently twice while keeping the bytes the load "
                    "does not cover; nothing was erased.",
                    QMessageBox::Critical, true, "Flash Load error"},
        FailureCase{"EraseNoConnection", "Broken", kEraseFlashPage, 0, EraseFlashPage::kEraseAll,
                    "Tessary Error", "Flash memory error.", QMessageBox::Critical, false,
                    "Connecting"}),
    NameOfCase());

// A file the page cannot use: the specified message in the box, the file and the system's reason
// as its informative text.
struct FileCase {
    const char* name;
    int page;
    int fileNameField;
    const char* fileName; // in the test's directory unless absolute
    int lengthField;      // 0: none; else typed "16"
    int button;
    const char* caption;
    const char* text;
    const char* reason;
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

class FileFailure : public MessageBoxTest, public testing::WithParamInterface<FileCase> {};

TEST_P(FileFailure, NamesTheFileAndTheReasonBelowTheMessage) {
    const FileCase& c = GetParam();
    std::filesystem::create_directory(Path("folder"));
    MakeFile(Path("short.bin"), 10);
    const std::string path = c.fileName[0] == '/' ? c.fileName : Path(c.fileName);
    Type(c.page, c.fileNameField, path);
    if (c.lengthField != 0) {
        Type(c.page, c.lengthField, "16");
    }
    const std::vector<ShownBox> shown = PressAndAnswer(c.page, c.button);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, c.caption);
    EXPECT_EQ(shown[0].text, c.text);
    std::string cause = c.reason;
    cause.replace(cause.find("PATH"), 4, path);
    EXPECT_EQ(shown[0].cause, cause);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, FileFailure,
    testing::Values(
        FileCase{"LoadRamMissingFile", kLoadRamPage, LoadRamPage::kFileName, "missing.bin", 0,
                 LoadRamPage::kLoad, "RAM Load Error", "Unable to open specified file.",
                 "cannot open \"PATH\": No such file or directory"},
        FileCase{"LoadFlashFolder", kLoadFlashPage, LoadFlashPage::kFileName, "folder", 0,
                 LoadFlashPage::kLoad, "Flash Load Error", "Unable to open specified file.",
                 "cannot open \"PATH\": Is a directory"},
        FileCase{
            "LoadRamShortFile", kLoadRamPage, LoadRamPage::kFileName, "short.bin",
            LoadRamPage::kLength, LoadRamPage::kLoad, "RAM Load Error",
            "Error accessing input file",
            "'PATH' holds 10 bytes, fewer than the 16 that the file offset 0 and the length 16 "
            "need; nothing was written to the board."},
        FileCase{"StoreRamFullDisk", kStoreRamPage, StoreRamPage::kFileName, "/dev/full",
                 StoreRamPage::kLength, StoreRamPage::kStore, "RAM Store Error",
                 "Unable to write to specified file.",
                 "cannot write \"PATH\": No space left on device"},
        FileCase{"StoreFlashMissingFolder", kStoreFlashPage, StoreFlashPage::kFileName,
                 "nowhere/out.bin", StoreFlashPage::kLength, StoreFlashPage::kStore, "Error",
                 "Unable to open specified file.",
                 "cannot create \"PATH\": No such file or directory"}),
    NameOfCase());

} // namespace
} // namespace tessary::test
