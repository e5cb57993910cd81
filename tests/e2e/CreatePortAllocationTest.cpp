// CreatePort on the serial line when the line or its port cannot be allocated.
#include "MemoryController.h"
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

class CreatePortAllocationTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { session.interfaceType = kInterfaceSerial; }
    void TearDown() override {}

    Session session;
};

// 1: the line cannot be allocated, 2: the port cannot.
TEST_P(CreatePortAllocationTest, FailsWithOutOfMemoryAndLeavesNothingBehind) {
    MemoryController controller(session);
    gFailNothrowAllocation = GetParam();
    EXPECT_FALSE(controller.CreatePort(nullptr));
    gFailNothrowAllocation = 0;
    EXPECT_EQ(controller.ErrorCode(), kErrOutOfMemory);
    controller.Release();

    // The same client builds both once memory is there again.
    EXPECT_TRUE(controller.CreatePort(nullptr));
    controller.Release();
}

INSTANTIATE_TEST_SUITE_P(Allocations, CreatePortAllocationTest, ::testing::Values(1, 2));

} // namespace
} // namespace tessary
