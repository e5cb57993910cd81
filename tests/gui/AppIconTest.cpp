// The window carries the program's own icon at the sizes a desktop asks for, and the name of the
// installed desktop entry.
#include "AppIcon.h"

#include <QApplication>
#include <QIcon>

#include <gtest/gtest.h>

namespace tessary {
namespace {

TEST(AppIcon, WindowIconHasEverySizeAndTheDesktopName) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    ApplyAppIdentity(*application);
    const QIcon icon = QApplication::windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
    // A real picture, not an empty image: the corners are transparent, the middle is not.
    const QImage image = icon.pixmap(QSize(64, 64)).toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_GT(qAlpha(image.pixel(32, 32)), 200);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopFileName));
}

} // namespace
} // namespace tessary
