// Without a QApplication there is no dialog to show: the call says so and changes nothing.
#include "lnkutil.h"
#include "lnkutil_erc.h"

#include <gtest/gtest.h>

TEST(DeviceDialogHeadless, ReportsThatThereIsNoDialog) {
    LnkErc error = 0;
    ASSERT_TRUE(LnkInit(&error));
    error = 0;
    EXPECT_FALSE(ZmgrStartConfigureDevices(nullptr, &error));
    EXPECT_EQ(error, LNK_ERC_NO_DIALOG);
    LnkTerm();
}
