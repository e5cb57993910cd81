#include "TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

namespace tessary::test {

namespace {

std::optional<std::string> Get(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

} // namespace

LibraryEnvironment::LibraryEnvironment(const std::string& table)
    : oldTable_(Get("LNKUTIL_DEVICES")), oldData_(Get("LNKUTIL_DATA_DIR")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessary-app-XXXXXX").string();
    directory_ = ::mkdtemp(pattern.data());
    std::ofstream(tablePath()) << table;
    ::setenv("LNKUTIL_DEVICES", tablePath().c_str(), 1);
    ::setenv("LNKUTIL_DATA_DIR", directory_.c_str(), 1);
}

LibraryEnvironment::~LibraryEnvironment() {
    Restore("LNKUTIL_DEVICES", oldTable_);
    Restore("LNKUTIL_DATA_DIR", oldData_);
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

struct ModalAnswerer::Poll {
    QTimer timer;
};

ModalAnswerer::ModalAnswerer(std::function<void(QWidget*)> answer) : poll_(new Poll) {
    poll_->timer.setInterval(5);
    QObject::connect(&poll_->timer, &QTimer::timeout, [this, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++answered_;
            answer(modal);
        }
    });
    poll_->timer.start();
}

ModalAnswerer::~ModalAnswerer() {
    delete poll_;
}

DialogScript::DialogScript(std::deque<Step> steps) : steps_(std::move(steps)) {
    stalled_.start();
    answerer_ = std::make_unique<ModalAnswerer>([this](QWidget* modal) {
        if (!steps_.empty() && steps_.front()(modal)) {
            steps_.pop_front();
            stalled_.restart();
        } else if (stalled_.elapsed() > kPatience) {
            // A step that never comes true must not keep the test waiting for ever.
            ADD_FAILURE() << "dialog script stuck at " << modal->metaObject()->className() << " \""
                          << modal->windowTitle().toStdString() << "\"";
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        }
    });
}

void Press(QAbstractButton* button) {
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

} // namespace tessary::test
