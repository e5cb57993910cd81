// Building the serial port when its line or the port itself cannot be allocated.
#include "PortFactory.h"
#include "Session.h"

#include <gtest/gtest.h>

#include <new>

namespace {

// Number of the next non-throwing allocation that fails (1 = the next one); 0 = none fails.
int gFailNothrowAllocation = 0;

} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (gFailNothrowAllocation > 0 && --gFailNothrowAllocation == 0) {
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace tessary {
namespace {

class PortAllocationTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { session.interfaceType = kInterfaceSerial; }

    Session session;
};

// 1: the line cannot be allocated, 2: the port cannot.
TEST_P(PortAllocationTest, FailsWithOutOfMemoryAndLeavesNothingBehind) {
    gFailNothrowAllocation = GetParam();
    BuiltPort built = BuildPort(session);
    gFailNothrowAllocation = 0;
    EXPECT_EQ(built.failure, PortFailure::OutOfMemory);
    EXPECT_FALSE(built.port);

    // Both are built once memory is there again.
    built = BuildPort(session);
    EXPECT_EQ(built.failure, PortFailure::None);
    EXPECT_TRUE(built.port);
}

INSTANTIATE_TEST_SUITE_P(Allocations, PortAllocationTest, ::testing::Values(1, 2));

} // namespace
} // namespace tessary
