// The forms of the load and store pages turned into requests: order of the checks, defaults,
// messages and captions, and the cleaned texts the pages show afterwards.
#include "LoadForm.h"
#include "Session.h"
#include "SimFixture.h"
#include "StoreForm.h"

#include <gtest/gtest.h>

namespace tessary::testing {
namespace {

const std::string kAddressMessage = "Must enter valid Decimal or Hex number to specify address.";
const std::string kOffsetMessage = "Must enter valid Decimal or Hex number to specify file offset.";
const std::string kLengthMessage = "Must enter valid Decimal or Hex number to specify length.";

void ExpectOneFormMessage(const RecordingMessages& messages, const std::string& text,
                          const std::string& caption) {
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text);
    EXPECT_EQ(messages.shown[0].caption, caption);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_TRUE(messages.shown[0].ownedByPage);
}

TEST(LoadRamForm, EmptyFieldsTakeTheirDefaults) {
    RecordingMessages messages;
    LoadForm form{"data.bin", "", "", "", false, true};
    const auto request = ValidateLoadRamForm(form, messages);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->fileName, "data.bin");
    EXPECT_EQ(request->startAddress, 0);
    EXPECT_EQ(request->fileOffset, 0);
    EXPECT_EQ(request->length, kLengthToEndOfFile);
    EXPECT_FALSE(request->verify);
    EXPECT_FALSE(request->autoErase);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(LoadRamForm, NumbersAreCleanedAndShownCleaned) {
    RecordingMessages messages;
    LoadForm form{"data.bin", "0x1,000", "1 00", "8,192", true, false};
    const auto request = ValidateLoadRamForm(form, messages);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->startAddress, 0x1000);
    EXPECT_EQ(request->fileOffset, 100);
    EXPECT_EQ(request->length, 8192);
    EXPECT_EQ(form.startAddress, "0x1000");
    EXPECT_EQ(form.fileOffset, "100");
    EXPECT_EQ(form.length, "8192");
}

struct BadLoadField {
    LoadForm form;
    std::string message;
};

class LoadRamFormErrors : public ::testing::TestWithParam<BadLoadField> {};

TEST_P(LoadRamFormErrors, FirstBadFieldIsReportedWithCaptionError) {
    RecordingMessages messages;
    LoadForm form = GetParam().form;
    EXPECT_FALSE(ValidateLoadRamForm(form, messages));
    ExpectOneFormMessage(messages, GetParam().message, "Error");
}

INSTANTIATE_TEST_SUITE_P(Fields, LoadRamFormErrors,
                         ::testing::Values(BadLoadField{{"", "zz", "", ""},
                                                        "No file name entered."},
                                           BadLoadField{{"f", "   ", "", ""}, kAddressMessage},
                                           BadLoadField{{"f", "", " , ", ""}, kOffsetMessage},
                                           BadLoadField{{"f", "", "", "  "}, kLengthMessage},
                                           BadLoadField{{"f", "1", "0x", "-1"}, kOffsetMessage},
                                           BadLoadField{{"f", "", "", "-1"}, kLengthMessage}));

TEST(LoadRamForm, AcceptedFieldsKeepTheirCleanedTextsWhenALaterOneFails) {
    RecordingMessages messages;
    LoadForm form{"f", "1,0", "1 2", "x y"};
    EXPECT_FALSE(ValidateLoadRamForm(form, messages));
    EXPECT_EQ(form.startAddress, "10");
    EXPECT_EQ(form.fileOffset, "12");
    EXPECT_EQ(form.length, "x y");
}

class LoadFlashForm : public ::testing::Test {
  protected:
    RecordingMessages messages;
};

TEST_F(LoadFlashForm, HasItsOwnCaptionAndNameText) {
    LoadForm form{"", "", "", ""};
    EXPECT_FALSE(ValidateLoadFlashForm(form, 0, messages));
    ExpectOneFormMessage(messages, "No file name specified", "Flash Load Error");

    messages.shown.clear();
    LoadForm bad{"f", "", "", "abc"};
    EXPECT_FALSE(ValidateLoadFlashForm(bad, 0, messages));
    ExpectOneFormMessage(messages, kLengthMessage, "Flash Load Error");
}

struct LimitCase {
    int32_t configuration;
    const char* start;
    const char* length;
    bool allowed;
    const char* message;
};

class LoadFlashLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(LoadFlashLimit, RangeEndMustNotPassTheFlashSize) {
    RecordingMessages messages;
    LoadForm form{"f", GetParam().start, "", GetParam().length, true, true};
    const auto request = ValidateLoadFlashForm(form, GetParam().configuration, messages);
    EXPECT_EQ(request.has_value(), GetParam().allowed);
    if (GetParam().allowed) {
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(request->autoErase);
    } else {
        ExpectOneFormMessage(messages, GetParam().message, "Flash Load Error");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, LoadFlashLimit,
    ::testing::Values(LimitCase{0, "0x70000", "0x10000", true, ""},
                      LimitCase{0, "0x70000", "0x10001", false,
                                "Invalid Flash address:  maximum Flash address is 0x80000."},
                      LimitCase{1, "0", "0x80001", false,
                                "Invalid Flash address:  maximum Flash address is 0x80000."},
                      LimitCase{3, "0xDF000", "0x21001", false,
                                "Invalid Flash address:  maximum Flash address is 0x100000."},
                      LimitCase{5, "0x3F0000", "0x10000", true, ""},
                      LimitCase{5, "0x3F0000", "0x10001", false,
                                "Invalid Flash address:  maximum Flash address is 0x400000."},
                      LimitCase{6, "0", "0x1000000", true, ""},
                      LimitCase{6, "1", "0x1000000", false,
                                "Invalid Flash address:  maximum Flash address is 0x1000000."},
                      // a negative length is no number at all
                      LimitCase{0, "0", "-5", false,
                                "Must enter valid Decimal or Hex number to specify length."},
                      // an empty length is checked once the file's size is known
                      LimitCase{0, "0x7FFFF", "", true, ""},
                      // a negative start would wrap into the erase range
                      LimitCase{0, "-4096", "0x2000", false,
                                "Must enter valid Decimal or Hex number to specify address."},
                      LimitCase{0, "-4096", "", false,
                                "Must enter valid Decimal or Hex number to specify address."}));

struct StoreCase {
    StoreForm form;
    std::string message;
    std::string ramCaption;
    std::string flashCaption;
};

class StoreFormErrors : public ::testing::TestWithParam<StoreCase> {};

TEST_P(StoreFormErrors, EachPageUsesItsOwnCaptions) {
    RecordingMessages messages;
    StoreForm ramForm = GetParam().form;
    EXPECT_FALSE(ValidateForm(ramForm, kStoreRamTexts, messages));
    ExpectOneFormMessage(messages, GetParam().message, GetParam().ramCaption);

    messages.shown.clear();
    StoreForm flashForm = GetParam().form;
    EXPECT_FALSE(ValidateForm(flashForm, kStoreFlashTexts, messages));
    const std::string flashText = GetParam().message == "Must open valid file."
                                      ? "No file name specified."
                                      : GetParam().message;
    ExpectOneFormMessage(messages, flashText, GetParam().flashCaption);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StoreFormErrors,
    ::testing::Values(
        StoreCase{
            {"", "", "", "10"}, "Must open valid file.", "RAM Store Error", "Flash Store Error"},
        StoreCase{{"f", "0x", "", "10"}, kAddressMessage, "RAM Store Error", "Flash Store Error"},
        StoreCase{{"f", "", "q", "10", OutputMode::Overwrite},
                  kOffsetMessage,
                  "RAM Store Error",
                  "Flash Store Error"},
        // there is no default length: an empty field is not a number
        StoreCase{{"f", "", "", ""}, kLengthMessage, "Error", "Flash Store Error"},
        StoreCase{{"f", "", "", "-1"}, kLengthMessage, "Error", "Flash Store Error"}));

TEST(StoreForm, OffsetIsReadOnlyInOverwriteMode) {
    RecordingMessages messages;
    for (OutputMode mode : {OutputMode::Append, OutputMode::Replace}) {
        StoreForm form{"f", "", "not a number", "16", mode};
        const auto request = ValidateForm(form, kStoreRamTexts, messages);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->fileOffset, 0);
        EXPECT_EQ(form.fileOffset, "not a number");
    }
    StoreForm form{"f", "", "", "16", OutputMode::Overwrite};
    const auto request = ValidateForm(form, kStoreRamTexts, messages);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->fileOffset, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(StoreForm, FieldsAreCutToWhatTheFormHoldsAndShownCleaned) {
    RecordingMessages messages;
    // 31 characters are read: the digits after them are not part of the number.
    StoreForm form{"f", "1,024", "", "1" + std::string(29, '0') + "123", OutputMode::Overwrite};
    const auto request = ValidateForm(form, kStoreRamTexts, messages);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->startAddress, 1024);
    EXPECT_EQ(form.startAddress, "1024");
    EXPECT_EQ(request->length, INT32_MAX);
    EXPECT_EQ(form.length, "1" + std::string(29, '0') + "1");
    EXPECT_EQ(request->path, "f");
    EXPECT_EQ(request->mode, OutputMode::Overwrite);

    StoreForm longName{std::string(300, 'n'), "", "", "1"};
    const auto cut = ValidateForm(longName, kStoreRamTexts, messages);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->path.size(), 259u);
}

} // namespace
} // namespace tessary::testing
