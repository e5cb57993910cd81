// The device configuration dialog of the library, driven as a user drives it, on device table
// files of the test's own.
#include "AppFixture.h"
#include "PropertiesPage.h"
#include "RecentLines.h"
#include "lnkutil.h"
#include "lnkutil_erc.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tessary::test {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string DeviceName(int32_t index) {
    char name[20] = {};
    LnkErc error = 0;
    return ZmgrGetDevName(index, name, &error) ? name : "";
}

int32_t DeviceCount() {
    LnkErc error = 0;
    return ZmgrGetDevCount(&error);
}

int32_t DefaultDevice() {
    LnkErc error = 0;
    return ZmgrGetDefaultDev(&error);
}

template <class T> T* Find(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

bool IsList(QWidget* modal) {
    return modal->windowTitle() == "Devices" && Find<QTreeWidget>(modal, "devices");
}
bool IsEditor(QWidget* modal) {
    return Find<QLineEdit>(modal, "name") != nullptr;
}
QMessageBox* AsMessage(QWidget* modal) {
    return qobject_cast<QMessageBox*>(modal);
}

// Steps of a script. A list step waits until the list is ready for it: the dialog updates its
// list only after the editor has closed.
using Ready = std::function<bool(QTreeWidget*)>;

Ready Rows(int count) {
    return [count](QTreeWidget* devices) { return devices->topLevelItemCount() == count; };
}
Ready Cell(int row, int column, QString text) {
    return [=](QTreeWidget* devices) {
        return devices->topLevelItemCount() > row &&
               devices->topLevelItem(row)->text(column).contains(text);
    };
}

DialogScript::Step OnList(std::function<void(QWidget*)> act, Ready ready = {}) {
    return [act = std::move(act), ready = std::move(ready)](QWidget* modal) {
        if (!IsList(modal) || (ready && !ready(Find<QTreeWidget>(modal, "devices")))) {
            return false;
        }
        act(modal);
        return true;
    };
}
DialogScript::Step OnEditor(std::function<void(QWidget*)> act) {
    return [act = std::move(act)](QWidget* modal) {
        if (!IsEditor(modal)) {
            return false;
        }
        act(modal);
        return true;
    };
}
// Records the message box's text and its cause below it, checks that it bears the error icon as
// every error box does, and answers it with OK.
DialogScript::Step OnMessage(QString* text) {
    return [text](QWidget* modal) {
        QMessageBox* box = AsMessage(modal);
        if (box == nullptr) {
            return false;
        }
        *text = box->text() + '\n' + box->informativeText();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        Press(box->button(QMessageBox::Ok));
        return true;
    };
}

void Select(QWidget* list, int row) {
    auto* devices = Find<QTreeWidget>(list, "devices");
    devices->setCurrentItem(devices->topLevelItem(row));
}
void PressNamed(QWidget* dialog, const char* name) {
    Press(Find<QAbstractButton>(dialog, name));
}
void PressOk(QWidget* editor) {
    for (QAbstractButton* button : editor->findChildren<QAbstractButton*>()) {
        if (button->text().remove('&') == "OK") {
            Press(button);
        }
    }
}
void PressCancel(QWidget* dialog) {
    QTimer::singleShot(0, static_cast<QDialog*>(dialog), &QDialog::reject);
}

// The library initialised on a table of the test's own; the dialog runs with no owner.
class DeviceDialogTest : public testing::Test {
  protected:
    void Use(const std::string& table) {
        library_ = std::make_unique<LibraryEnvironment>(table);
        LnkErc error = 0;
        ASSERT_TRUE(LnkInit(&error));
    }
    void TearDown() override {
        LnkTerm();
        library_.reset();
    }
    // Runs the dialog with the script; true when the script ran to its end.
    bool Run(std::deque<DialogScript::Step> steps, bool* result = nullptr, LnkErc* erc = nullptr) {
        DialogScript script(std::move(steps));
        LnkErc error = -1;
        const bool ran = ZmgrStartConfigureDevices(nullptr, &error);
        if (result != nullptr) {
            *result = ran;
        }
        if (erc != nullptr) {
            *erc = error;
        }
        return script.finished();
    }

    std::unique_ptr<LibraryEnvironment> library_;
};

TEST_F(DeviceDialogTest, AddsASerialBoardMakesItTheDefaultAndSaves) {
    Use(kTableWithDefault);
    bool result = false;
    ASSERT_TRUE(Run(
        {
            OnList([](QWidget* list) { PressNamed(list, "add"); }),
            OnEditor([](QWidget* editor) {
                Find<QLineEdit>(editor, "name")->setText("LabBoard");
                Find<QComboBox>(editor, "kind")->setCurrentIndex(1);
                Find<QLineEdit>(editor, "path")->setText("/dev/ttyUSB7");
                // A rate that is not among those offered.
                Find<QComboBox>(editor, "baud")->setCurrentText("250000");
                PressOk(editor);
            }),
            OnList(
                [](QWidget* list) {
                    Select(list, 2);
                    PressNamed(list, "default");
                },
                Rows(3)),
            OnList([](QWidget* list) { PressNamed(list, "save"); }, Cell(2, 2, "yes")),
        },
        &result));
    EXPECT_TRUE(result);
    EXPECT_EQ(DeviceCount(), 3);
    EXPECT_EQ(DeviceName(2), "LabBoard");
    EXPECT_EQ(DefaultDevice(), 2);
    const std::string saved = ReadFile(library_->tablePath());
    EXPECT_NE(saved.find("LabBoard serial default path=/dev/ttyUSB7 baud=250000"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("SimBoard sim flash=512k"), std::string::npos) << saved;
}

TEST_F(DeviceDialogTest, EditsAndRemovesDevices) {
    Use(kTableWithDefault);
    ASSERT_TRUE(Run({
        OnList([](QWidget* list) {
            Select(list, 1);
            PressNamed(list, "edit");
        }),
        OnEditor([](QWidget* editor) {
            EXPECT_EQ(Find<QLineEdit>(editor, "name")->text(), "SimBoard-1M");
            auto* flash = Find<QComboBox>(editor, "flash");
            flash->setCurrentIndex(flash->findData("4m"));
            Find<QLineEdit>(editor, "base")->setText("0x10");
            PressOk(editor);
        }),
        OnList(
            [](QWidget* list) {
                Select(list, 0);
                PressNamed(list, "remove");
            },
            Cell(1, 3, "flash=4m")),
        OnList([](QWidget* list) { PressNamed(list, "save"); }, Rows(1)),
    }));
    EXPECT_EQ(DeviceCount(), 1);
    EXPECT_EQ(DeviceName(0), "SimBoard-1M");
    EXPECT_EQ(DefaultDevice(), -1);
    EXPECT_NE(ReadFile(library_->tablePath()).find("SimBoard-1M sim flash=4m base=0x10"),
              std::string::npos);
}

// A line used before is offered again under a name ("/dev/pts/3 (used before)"). Typing its start
// completes the path, never that name: Test tries the path and the table gets it.
TEST_F(DeviceDialogTest, ACompletedLineUsedBeforeIsTestedAndKeptByItsPath) {
    Use(kTableWithDefault);
    const char* oldState = std::getenv("XDG_STATE_HOME");
    const std::string keptState = oldState != nullptr ? oldState : "";
    ::setenv("XDG_STATE_HOME", library_->directory().c_str(), 1);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const std::string line = ::ptsname(master);
    ASSERT_TRUE(RememberLine(line));
    QString completed;
    QString tested;
    int resultHeight = 0;
    int resultNeeds = -1;
    const bool ran = Run({
        OnList([](QWidget* list) { PressNamed(list, "add"); }),
        // Completions come while the field has the keyboard focus, as when someone types.
        [&](QWidget* editor) {
            if (!IsEditor(editor)) {
                return false;
            }
            auto* path = Find<QLineEdit>(editor, "path");
            Find<QComboBox>(editor, "kind")->setCurrentIndex(1);
            if (!path->hasFocus()) {
                editor->activateWindow();
                path->setFocus();
                return false;
            }
            Find<QLineEdit>(editor, "name")->setText("T5");
            QTest::keyClicks(path, QString::fromStdString(line.substr(0, line.size() - 1)));
            completed = path->text();
            Press(Find<QAbstractButton>(editor, "test"));
            return true;
        },
        [&](QWidget* modal) {
            if (!IsEditor(modal) || Find<QLabel>(modal, "result")->text().isEmpty()) {
                return false;
            }
            const QLabel* result = Find<QLabel>(modal, "result");
            tested = result->text();
            // the answer wraps over lines, every one of them shown
            resultHeight = result->height();
            resultNeeds = result->heightForWidth(result->width());
            PressOk(modal);
            return true;
        },
        OnList([](QWidget* list) { PressNamed(list, "save"); }, Rows(3)),
    });
    ::close(master);
    if (oldState != nullptr) {
        ::setenv("XDG_STATE_HOME", keptState.c_str(), 1);
    } else {
        ::unsetenv("XDG_STATE_HOME");
    }
    EXPECT_TRUE(ran);
    EXPECT_EQ(completed.toStdString(), line);
    EXPECT_TRUE(tested.contains(QString::fromStdString(line))) << tested.toStdString();
    EXPECT_FALSE(tested.contains("used before")) << tested.toStdString();
    EXPECT_GE(resultHeight, resultNeeds);
    EXPECT_EQ(DeviceCount(), 3);
    EXPECT_EQ(DeviceName(2), "T5");
    const std::string saved = ReadFile(library_->tablePath());
    EXPECT_NE(saved.find("T5 serial path=" + line + "\n"), std::string::npos) << saved;
}

struct BadEntry {
    const char* name;
    int kind;             // 0 simulated, 1 serial
    const char* expected; // part of the message
    const char* path = nullptr;
};

void PrintTo(const BadEntry& entry, std::ostream* out) {
    *out << '"' << entry.name << '"' << (entry.path != nullptr ? " " : "")
         << (entry.path != nullptr ? entry.path : "");
}

class BadInput : public DeviceDialogTest, public testing::WithParamInterface<BadEntry> {};

// The message says what is wrong, the editor keeps what was typed, and nothing is saved.
TEST_P(BadInput, GetsAMessageAndLosesNothing) {
    Use(kTableWithDefault);
    const std::string before = ReadFile(library_->tablePath());
    QString message;
    QString keptName;
    ASSERT_TRUE(Run({
        OnList([](QWidget* list) { PressNamed(list, "add"); }),
        OnEditor([](QWidget* editor) {
            Find<QLineEdit>(editor, "name")->setText(GetParam().name);
            Find<QComboBox>(editor, "kind")->setCurrentIndex(GetParam().kind);
            if (GetParam().path != nullptr) {
                Find<QLineEdit>(editor, "path")->setText(GetParam().path);
            }
            PressOk(editor);
        }),
        OnMessage(&message),
        OnEditor([&keptName](QWidget* editor) {
            keptName = Find<QLineEdit>(editor, "name")->text();
            PressCancel(editor);
        }),
        OnList([](QWidget* list) { PressCancel(list); }, Rows(2)),
    }));
    EXPECT_TRUE(message.contains(GetParam().expected)) << message.toStdString();
    EXPECT_EQ(keptName, GetParam().name);
    EXPECT_EQ(ReadFile(library_->tablePath()), before);
    EXPECT_EQ(DeviceCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, BadInput,
    testing::Values(BadEntry{"", 0, "Enter a name"},
                    BadEntry{"ABCDEFGHIJKLMNOPQRST", 0, "at most 19 characters"},
                    BadEntry{"SimBoard-1M", 0, "already a device named"},
                    BadEntry{"two words", 0, "cannot be kept"},
                    BadEntry{"Serial", 1, "serial line"},
                    // lines the library would not read back as written
                    BadEntry{"T5", 1, "found '(used'", "/dev/pts/999 (used before)"},
                    BadEntry{"T6", 1,
                             "would read back as 'T6 serial "
                             "path=/dev/tty'",
                             "/dev/tty#1"}));

TEST_F(DeviceDialogTest, CancelChangesNothing) {
    Use(kTableWithDefault);
    const std::string before = ReadFile(library_->tablePath());
    ASSERT_TRUE(Run({
        OnList([](QWidget* list) {
            Select(list, 0);
            PressNamed(list, "remove");
        }),
        OnList([](QWidget* list) { PressCancel(list); }, Rows(1)),
    }));
    EXPECT_EQ(ReadFile(library_->tablePath()), before);
    EXPECT_EQ(DeviceCount(), 2);
    EXPECT_EQ(DefaultDevice(), 0);
}

TEST_F(DeviceDialogTest, ATableThatIsAFolderIsNotTouched) {
    Use(kTableWithDefault);
    const std::filesystem::path folder = library_->directory() / "folder";
    std::filesystem::create_directory(folder);
    ::setenv("LNKUTIL_DEVICES", folder.c_str(), 1);
    QString message;
    bool result = true;
    LnkErc erc = 0;
    ASSERT_TRUE(Run({OnMessage(&message)}, &result, &erc));
    EXPECT_FALSE(result);
    EXPECT_EQ(erc, LNK_ERC_NO_DIALOG);
    EXPECT_TRUE(message.contains("is a folder")) << message.toStdString();
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(DeviceDialogTest, ATableThatCannotBeWrittenKeepsTheDialogOpenWithTheChanges) {
    Use(kTableWithDefault);
    // A table file below a plain file can be neither created nor written.
    const std::filesystem::path blocker = library_->directory() / "blocker";
    std::ofstream(blocker) << "x";
    ::setenv("LNKUTIL_DEVICES", (blocker / "devices.conf").c_str(), 1);
    QString message;
    int rowsAfterFailure = -1;
    ASSERT_TRUE(Run({
        OnList([](QWidget* list) {
            Select(list, 3);
            PressNamed(list, "remove");
        }),
        OnList([](QWidget* list) { PressNamed(list, "save"); }, Rows(3)),
        OnMessage(&message),
        OnList([&rowsAfterFailure](QWidget* list) {
            rowsAfterFailure = Find<QTreeWidget>(list, "devices")->topLevelItemCount();
            PressCancel(list);
        }),
    }));
    EXPECT_TRUE(message.contains("could not be saved")) << message.toStdString();
    EXPECT_EQ(rowsAfterFailure, 3);
    EXPECT_EQ(DeviceCount(), 2); // the library still has the table it read
}

TEST_F(DeviceDialogTest, UnusableLinesAreReportedAndKeptInTheFile) {
    const std::string table = std::string(kTableWithDefault) + "Broken sim flash=2m\n";
    Use(table);
    QString message;
    ASSERT_TRUE(Run({
        OnMessage(&message),
        OnList([](QWidget* list) { PressNamed(list, "save"); }, Rows(2)),
    }));
    EXPECT_TRUE(message.contains("flash")) << message.toStdString();
    const std::filesystem::path backup = library_->tablePath().string() + ".bak";
    EXPECT_EQ(ReadFile(backup), table);
    EXPECT_EQ(ReadFile(library_->tablePath()), table);
}

TEST_F(DeviceDialogTest, TheDialogIsModalToItsOwner) {
    Use(kTableWithDefault);
    QWidget owner;
    owner.show();
    QWidget* parent = nullptr;
    DialogScript script({OnList([&parent](QWidget* list) {
        parent = list->parentWidget();
        PressCancel(list);
    })});
    LnkErc error = 0;
    EXPECT_TRUE(ZmgrStartConfigureDevices(&owner, &error));
    EXPECT_EQ(parent, &owner);

    // Anything that is not one of the program's widgets is no owner.
    int notAWidget = 0;
    DialogScript again({OnList([&parent](QWidget* list) {
        parent = list->parentWidget();
        PressCancel(list);
    })});
    EXPECT_TRUE(ZmgrStartConfigureDevices(&notAWidget, &error));
    EXPECT_EQ(parent, nullptr);
}

// From the Properties page: "Configure", a new default device, and the page follows.
using ConfigureFromProperties = AppTest;

TEST_F(ConfigureFromProperties, TheNewDefaultDeviceIsListedAndChosen) {
    Start();
    DialogScript script({
        OnList([](QWidget* list) { PressNamed(list, "add"); }),
        OnEditor([](QWidget* editor) {
            Find<QLineEdit>(editor, "name")->setText("Bench16M");
            auto* flash = Find<QComboBox>(editor, "flash");
            flash->setCurrentIndex(flash->findData("16m"));
            PressOk(editor);
        }),
        OnList(
            [](QWidget* list) {
                Select(list, 2);
                PressNamed(list, "default");
            },
            Rows(3)),
        OnList([](QWidget* list) { PressNamed(list, "save"); }, Cell(2, 2, "yes")),
    });
    control<QAbstractButton>(kPropertiesPage, PropertiesPage::kConfigure)->click();
    EXPECT_TRUE(script.finished());
    auto* list = control<QComboBox>(kPropertiesPage, PropertiesPage::kDeviceList);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(2), "Bench16M");
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(gApp->deviceName, "Bench16M");
}

} // namespace
} // namespace tessary::test
