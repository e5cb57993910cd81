#include "PagesFixture.h"

#include "AppContext.h"
#include "FlashGeometry.h"
#include "OperationRunner.h"
#include "SimBoard.h"
#include "StatusArea.h"
#include "lnkutil_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <random>

namespace tessary::test {

void PagesTest::SetUp() {
    AppTest::SetUp();
    Start(table_);
    QStatusBar* bar = window().StatusBar();
    QObject::connect(bar, &QStatusBar::messageChanged, bar, [this](const QString& text) {
        if (!text.isEmpty()) {
            statusTexts.push_back(text.toStdString());
        }
    });
}

void PagesTest::ShowPage(int index) {
    gTabControl->Bar()->setCurrentIndex(index);
    ASSERT_EQ(window().CurrentPage(), index);
}

void PagesTest::Type(int pageIndex, int id, const std::string& text) {
    QLineEdit* field = control<QLineEdit>(pageIndex, id);
    ASSERT_NE(field, nullptr) << id << " is no edit field";
    field->setText(QString::fromStdString(text));
}

std::string PagesTest::FieldText(int pageIndex, int id) {
    QLineEdit* field = control<QLineEdit>(pageIndex, id);
    return field != nullptr ? field->text().toStdString() : std::string();
}

void PagesTest::Press(int pageIndex, int id) {
    Click(pageIndex, id);
    WaitUntilIdle();
}

void PagesTest::Click(int pageIndex, int id) {
    ShowPage(pageIndex);
    auto* button = control<QAbstractButton>(pageIndex, id);
    ASSERT_NE(button, nullptr) << id << " is no button";
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << id << " cannot be pressed";
    button->click();
}

void PagesTest::WaitUntilIdle() {
    EXPECT_TRUE(WaitFor([this] { return !window().Runner().Busy(); }))
        << "the operation did not end";
}

bool PagesTest::WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > 30000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void PagesTest::ChooseDevice(const char* name) {
    ShowPage(kPropertiesPage);
    auto* list = control<QComboBox>(kPropertiesPage, 1077);
    ASSERT_NE(list, nullptr);
    const int index = list->findText(QString::fromUtf8(name));
    ASSERT_GE(index, 0) << name << " is not in the device list";
    list->setCurrentIndex(index);
    emit list->activated(index);
    ASSERT_EQ(gApp->deviceName, name);
}

void PagesTest::ChooseConfiguration(int radioId) {
    Press(kPropertiesPage, radioId);
}

std::string PagesTest::Path(const std::string& name) const {
    return (library_->directory() / name).string();
}

QByteArray PagesTest::MakeFile(const std::string& path, int size, uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<char>(random()); });
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == size) << path;
    return bytes;
}

QByteArray PagesTest::ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

board::SimBoard& PagesTest::Board(const char* device) {
    board::SimBoard* board = LnkSimBoard(device);
    EXPECT_NE(board, nullptr) << device;
    return *board;
}

void PagesTest::FillFlash(const char* device, uint8_t value) {
    const std::span<uint8_t> flash = Board(device).FlashMemory();
    std::fill(flash.begin(), flash.end(), value);
}

bool PagesTest::BlockHolds(const char* device, int32_t index, uint8_t value) {
    const std::span<uint8_t> flash = Board(device).FlashMemory();
    const int32_t configuration = MemoryConfiguration;
    const uint32_t end = index + 1 < BlockCount(configuration)
                             ? BlockAddress(configuration, index + 1)
                             : FlashSize(configuration);
    return std::all_of(flash.begin() + BlockAddress(configuration, index), flash.begin() + end,
                       [value](uint8_t byte) { return byte == value; });
}

} // namespace tessary::test
