// The progress display with a clock the test moves: how often it writes, and what it says.
#include "Progress.h"
#include "JsonProgress.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace tessary::cli {
namespace {

using namespace std::chrono_literals;

class ProgressDisplay : public ::testing::Test {
  protected:
    Progress Make(Progress::Style style, int width = 200) {
        return Progress(out, style, width, [this] { return now; });
    }

    static int Count(const std::string& text, const std::string& what) {
        int count = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++count;
        }
        return count;
    }

    std::ostringstream out;
    Progress::Clock::time_point now = Progress::Clock::time_point{} + 1000s;
};

// 16 MB in 2048 blocks, 1 ms apart: a log gets about ten lines, the last at 100%.
TEST_F(ProgressDisplay, LinesComeEveryTenthOfTheWork) {
    Progress progress = Make(Progress::Style::Lines);
    constexpr int64_t kTotal = 16 << 20;
    for (int64_t block = 1; block <= 2048; ++block) {
        progress.SetText("Reading block: " + std::to_string(block), ProgressUnit::Bytes);
        now += 1ms;
        progress.Update(block * 8192, kTotal);
    }
    progress.End();
    const int lines = Count(out.str(), "\n");
    EXPECT_GE(lines, 10);
    EXPECT_LE(lines, 11);
    EXPECT_NE(out.str().find("Reading block: 2048  100%  16777216/16777216 bytes  8.2 MB/s\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(Count(out.str(), "\r"), 0);
}

// For a machine the same 2048 blocks give at most ten events a second, each one JSON line, the
// last count always among them; a quiet phase still gets an event every five seconds.
TEST_F(ProgressDisplay, JsonEventsAreFewAndTheLastCountIsAlwaysWritten) {
    JsonProgress progress(out, [this] { return now; });
    progress.Begin("store-ram", "sim1");
    constexpr int64_t kTotal = 16 << 20;
    for (int64_t block = 1; block <= 2048; ++block) {
        progress.SetText("Reading block: " + std::to_string(block), ProgressUnit::Bytes);
        now += 1ms;
        progress.Update(block * 8192, kTotal);
        progress.Tick();
    }
    progress.End();
    now += 6s;
    progress.Tick();
    std::istringstream lines(out.str());
    std::vector<nlohmann::json> events;
    for (std::string line; std::getline(lines, line);) {
        events.push_back(nlohmann::json::parse(line));
    }
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front()["event"], "start");
    EXPECT_EQ(events.front()["device"], "sim1");
    EXPECT_LE(events.size(), 2u + 22u + 1u); // 2.048 s at ten a second, and the quiet one
    const nlohmann::json& last = events[events.size() - 2];
    EXPECT_EQ(last["done"], kTotal);
    EXPECT_EQ(last["phase"], "Reading block: 2048");
    EXPECT_EQ(events.back()["done"], kTotal);
    EXPECT_DOUBLE_EQ(events.back()["elapsed"].get<double>(), 8.048);
}

// A slow transfer still shows signs of life every few seconds between the tenths.
TEST_F(ProgressDisplay, SlowWorkGetsALineEveryFewSeconds) {
    Progress progress = Make(Progress::Style::Lines);
    progress.SetText("Loading block: 1", ProgressUnit::Bytes);
    for (int second = 1; second <= 30; ++second) {
        now += 1s;
        progress.Update(second, 1000); // far below a tenth
    }
    const int lines = Count(out.str(), "\n");
    EXPECT_GE(lines, 6);
    EXPECT_LE(lines, 7);
}

// A board so slow that one block takes 23 s: the clock's ticks keep a line coming every five
// seconds though the operation itself reports nothing between its blocks.
TEST_F(ProgressDisplay, TicksKeepLinesComingWhileABlockTakesLong) {
    Progress progress = Make(Progress::Style::Lines);
    progress.Tick();
    EXPECT_EQ(out.str(), "");
    progress.SetText("Reading block: 1", ProgressUnit::Bytes);
    for (int tick = 1; tick <= 92; ++tick) { // 23 s of ticks every 250 ms
        now += 250ms;
        progress.Tick();
    }
    EXPECT_EQ(Count(out.str(), "Reading block: 1\n"), 4) << out.str();
    progress.Update(8192, 16384);
    for (int tick = 1; tick <= 20; ++tick) {
        now += 250ms;
        progress.Tick();
    }
    EXPECT_EQ(Count(out.str(), "Reading block: 1  50%  8192/16384 bytes"), 2) << out.str();
    progress.End();
    now += 10s;
    progress.Tick();
    EXPECT_EQ(Count(out.str(), "\n"), 6);
}

TEST_F(ProgressDisplay, BarIsRedrawnAtMostFiveTimesASecond) {
    Progress progress = Make(Progress::Style::Bar);
    progress.SetText("Loading block: 1", ProgressUnit::Bytes);
    for (int step = 1; step <= 300; ++step) { // 3 s of updates every 10 ms
        now += 10ms;
        progress.Update(step, 300);
    }
    const int draws = Count(out.str(), "\r");
    EXPECT_GE(draws, 14);
    EXPECT_LE(draws, 16);
}

TEST_F(ProgressDisplay, BarShowsPercentRateAndTimeLeft) {
    Progress progress = Make(Progress::Style::Bar);
    progress.SetText("Loading block: 128", ProgressUnit::Bytes);
    now += 2s;
    progress.Update(2000000, 8000000);
    const std::string text = out.str();
    const std::string last = text.substr(text.rfind('\r') + 1);
    EXPECT_EQ(last, "Loading block: 128  [#####...............] 25%  1.0 MB/s  0:06 left\033[K");
}

// Load Flash erases (blocks) and then programs (bytes): each phase has its own rate.
TEST_F(ProgressDisplay, ANewUnitStartsANewMeasurement) {
    Progress progress = Make(Progress::Style::Lines);
    progress.SetText("Erasing block: 1", ProgressUnit::Blocks);
    now += 4s;
    progress.Update(2, 2);
    progress.SetText("Loading block: 1", ProgressUnit::Bytes);
    now += 1s;
    progress.Update(3000000, 3000000);
    EXPECT_EQ(out.str(), "Erasing block: 1  100%  2/2 blocks  0.5 blocks/s\n"
                         "Loading block: 1  100%  3000000/3000000 bytes  3.0 MB/s\n");
}

TEST_F(ProgressDisplay, BarIsCutToTheTerminalWidth) {
    Progress progress = Make(Progress::Style::Bar, 30);
    progress.SetText("Reading block: 1", ProgressUnit::Bytes);
    now += 1s;
    progress.Update(8192, 81920);
    const std::string text = out.str();
    const std::string last = text.substr(text.rfind('\r') + 1);
    // 29 characters: the cursor never reaches the last column, so the terminal does not wrap.
    EXPECT_EQ(last, std::string("Reading block: 1  [##........") + "\033[K");
}

TEST_F(ProgressDisplay, ClearTakesTheBarOffTheLineOnlyWhenOneIsShown) {
    Progress progress = Make(Progress::Style::Bar);
    progress.Clear();
    EXPECT_EQ(out.str(), "");
    progress.SetText("Connecting", ProgressUnit::Bytes);
    progress.Clear();
    EXPECT_EQ(out.str(), "\rConnecting\033[K\r\033[K");
    progress.End();
    EXPECT_EQ(out.str(), "\rConnecting\033[K\r\033[K");
}

struct RateCase {
    double perSecond;
    ProgressUnit unit;
    const char* text;
};

class RateText : public ::testing::TestWithParam<RateCase> {};

TEST_P(RateText, IsScaled) {
    EXPECT_EQ(FormatRate(GetParam().perSecond, GetParam().unit), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Units, RateText,
                         ::testing::Values(RateCase{0, ProgressUnit::Bytes, "--"},
                                           RateCase{512, ProgressUnit::Bytes, "512 B/s"},
                                           RateCase{81200, ProgressUnit::Bytes, "81 kB/s"},
                                           RateCase{52.34e6, ProgressUnit::Bytes, "52.3 MB/s"},
                                           RateCase{3.5, ProgressUnit::Blocks, "3.5 blocks/s"}));

TEST(TimeLeft, MinutesAndHours) {
    EXPECT_EQ(FormatTimeLeft(-1), "--:--");
    EXPECT_EQ(FormatTimeLeft(0), "0:00");
    EXPECT_EQ(FormatTimeLeft(6.2), "0:07");
    EXPECT_EQ(FormatTimeLeft(754), "12:34");
    EXPECT_EQ(FormatTimeLeft(3723), "1:02:03");
}

} // namespace
} // namespace tessary::cli
