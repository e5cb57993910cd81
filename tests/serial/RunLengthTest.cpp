// The items of a run-length reply: what the board's encoder makes of the bytes it reads within
// the room of a reply, and what the host's decoder accepts.
#include "RunLength.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace tessary::protocol {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Repeat(size_t count, uint8_t value) {
    return Bytes(count, value);
}

Bytes Counting(size_t count, uint8_t first = 0) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct RoundTrip {
    const char* name;
    Bytes input;
    size_t capacity;
    // The body the encoder makes, and how many of the input bytes it stands for (it reads no
    // byte it has no room for).
    Bytes body;
    size_t covered;
};

class RunLengthTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RunLengthTest, EncodesWithinItsRoomAndDecodesToWhatItRead) {
    const RoundTrip& test = GetParam();
    RunEncoder encoder(test.capacity);
    for (size_t i = 0; i < test.input.size() && encoder.Room(); ++i) {
        encoder.Add(test.input[i]);
    }
    EXPECT_EQ(encoder.Body(), test.body);
    EXPECT_EQ(encoder.Covered(), test.covered);
    ASSERT_LE(encoder.Body().size(), test.capacity);
    if (test.covered == 0) {
        return;
    }
    // Decoded into exactly the room it needs, and refused by one byte less.
    Bytes out(test.covered);
    const Bytes& body = encoder.Body();
    EXPECT_EQ(DecodeRuns(body.data(), static_cast<int>(body.size()), out.data(),
                         static_cast<int32_t>(out.size())),
              static_cast<int32_t>(test.covered));
    EXPECT_EQ(out,
              Bytes(test.input.begin(), test.input.begin() + static_cast<ptrdiff_t>(test.covered)));
    EXPECT_EQ(DecodeRuns(body.data(), static_cast<int>(body.size()), out.data(),
                         static_cast<int32_t>(out.size()) - 1),
              -1);
}

INSTANTIATE_TEST_SUITE_P(
    Items, RunLengthTest,
    ::testing::Values(
        RoundTrip{"NothingRead", {}, 254, {}, 0},
        RoundTrip{"NoRoomForAnyByte", {0x11, 0x22}, 1, {}, 0},
        RoundTrip{"OneByte", {0x07}, 254, {0x00, 0x07}, 1},
        RoundTrip{"ARunOfTwo", {0x07, 0x07}, 254, {0x81, 0x07}, 2},
        RoundTrip{"ALiteralEndingInARun",
                  {0x01, 0x02, 0x03, 0x03},
                  254,
                  {0x01, 0x01, 0x02, 0x81, 0x03},
                  4},
        RoundTrip{"ARunThenALiteral",
                  {0x00, 0x00, 0x00, 0x11, 0x22},
                  254,
                  {0x82, 0x00, 0x01, 0x11, 0x22},
                  5},
        RoundTrip{"ARunOf128", Repeat(128, 0xAA), 254, {0xFF, 0xAA}, 128},
        RoundTrip{"ARunOf129", Repeat(129, 0xAA), 254, {0xFF, 0xAA, 0x00, 0xAA}, 129},
        RoundTrip{"ARunOf130", Repeat(130, 0xAA), 254, {0xFF, 0xAA, 0x81, 0xAA}, 130},
        RoundTrip{"ALiteralOf128", Counting(128), 254, Join({{0x7F}, Counting(128)}), 128},
        RoundTrip{"ALiteralOf129", Counting(129), 254, Join({{0x7F}, Counting(128), {0x00, 0x80}}),
                  129},
        RoundTrip{"AFullLiteralWhoseLastByteStartsARun", Join({Counting(128), {0x7F}}), 254,
                  Join({{0x7E}, Counting(127), {0x81, 0x7F}}), 129},
        RoundTrip{"AlternatingPairs",
                  {0xAA, 0xAA, 0xBB, 0xBB, 0xAA, 0xAA},
                  254,
                  {0x81, 0xAA, 0x81, 0xBB, 0x81, 0xAA},
                  6},
        RoundTrip{
            "AlternatingSingles", {0xAA, 0xBB, 0xAA, 0xBB}, 254, {0x03, 0xAA, 0xBB, 0xAA, 0xBB}, 4},
        // Two free bytes are needed to read one more: a new item takes them.
        RoundTrip{"CapacityExactlyReached",
                  {0x01, 0x01, 0x02, 0x02, 0x03},
                  4,
                  {0x81, 0x01, 0x00, 0x02},
                  3},
        RoundTrip{"ALiteralStopsWithOneByteFree", Counting(10, 1), 4, {0x01, 0x01, 0x02}, 2},
        RoundTrip{"ARunStopsWhenItsRoomIsGone", Repeat(10, 0xEE), 2, {0x00, 0xEE}, 1},
        // An erased Flash in the largest reply: 126 runs of 128, then one byte.
        RoundTrip{"ErasedFlashInTheLargestReply", Repeat(20000, 0xFF), 254,
                  Join({[] {
                            Bytes runs;
                            for (int i = 0; i < 126; ++i) {
                                runs.insert(runs.end(), {0xFF, 0xFF});
                            }
                            return runs;
                        }(),
                        {0x00, 0xFF}}),
                  126 * 128 + 1}),
    [](const auto& test) { return std::string(test.param.name); });

struct Refused {
    const char* name;
    Bytes body;
    int32_t capacity;
};

class RunLengthRefusalTest : public ::testing::TestWithParam<Refused> {};

TEST_P(RunLengthRefusalTest, StandsForNothingOrMoreThanTheRoom) {
    const Refused& test = GetParam();
    Bytes out(static_cast<size_t>(test.capacity) + 16, 0x5C);
    EXPECT_EQ(
        DecodeRuns(test.body.data(), static_cast<int>(test.body.size()), out.data(), test.capacity),
        -1);
    // Nothing written past the room it was given.
    EXPECT_EQ(Bytes(out.begin() + test.capacity, out.end()), Bytes(16, 0x5C));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, RunLengthRefusalTest,
    ::testing::Values(Refused{"Empty", {}, 100}, Refused{"ARunWithoutItsByte", {0x81}, 100},
                      Refused{"ALiteralCutShort", {0x02, 0x11, 0x22}, 100},
                      Refused{"ALastItemCutShort", {0x81, 0x00, 0x85}, 100},
                      Refused{"ARunPastTheRoom", {0xFF, 0xAA}, 127},
                      Refused{"ALiteralPastTheRoom", {0x02, 0x11, 0x22, 0x33}, 2},
                      Refused{"ALaterItemPastTheRoom", {0x81, 0x00, 0x81, 0x00}, 3}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace tessary::protocol
