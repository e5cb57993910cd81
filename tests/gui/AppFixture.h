#pragma once

#include "AppContext.h"
#include "Application.h"
#include "MainWindow.h"
#include "Page.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tessary::test {

// The desktop program started as main starts it, on a device table of the test's own; shut
// down in order at the end of the test.
class AppTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterBase = 0;
        MemoryConfiguration = 0;
    }
    void TearDown() override {
        application_.reset();
        library_.reset();
    }

    void Start(const char* table = kTableWithDefault) {
        library_ = std::make_unique<LibraryEnvironment>(table);
        application_ = std::make_unique<Application>();
        ASSERT_TRUE(application_->Start());
        ASSERT_NE(gMainWindow, nullptr);
    }

    MainWindow& window() { return *gMainWindow; }
    Page& page(int index) { return *gMainWindow->PageAt(index); }
    template <class T> T* control(int pageIndex, int id) {
        QWidget* widget = page(pageIndex).Control(id);
        EXPECT_NE(widget, nullptr) << "page " << pageIndex << " has no control " << id;
        return qobject_cast<T*>(widget);
    }

    std::unique_ptr<LibraryEnvironment> library_;
    std::unique_ptr<Application> application_;
};

} // namespace tessary::test
