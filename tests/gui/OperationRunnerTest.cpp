// The worker-thread path on its own: everything an operation reports reaches the window's sinks,
// once and in order, however the batches fall (a run shorter than a batch interval, a
// user-interface thread too busy to take a batch, a message between reports, run after run), and
// nothing of an abandoned run reaches the next.
#include "OperationRunner.h"
#include "Sinks.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tessary::test {
namespace {

// What reached the user-interface side, in order, as one line per report.
class Log : public StatusSink, public MessageSink {
  public:
    void SetStatusText(const std::string& text) override { lines.push_back("text " + text); }
    void ReportProgress(int64_t done, int64_t total) override {
        lines.push_back("progress " + std::to_string(done) + "/" + std::to_string(total));
    }
    void EndProgress() override { lines.push_back("end"); }
    void ShowMessage(const std::string& text, const std::string&, MessageIcon, bool) override {
        lines.push_back("message " + text);
    }
    std::vector<std::string> lines;
};

// Reports blocks first to last as the transfers do, the texts of growing length so that the
// batches' texts do not all line up alike; pause is called after each block.
template <typename Pause>
void ReportBlocks(StatusSink& status, std::vector<std::string>& expected, int first, int last,
                  Pause&& pause) {
    for (int block = first; block <= last; ++block) {
        const std::string text =
            "Loading block: " + std::string(block % 7, '.') + std::to_string(block);
        status.SetStatusText(text);
        status.ReportProgress(block, last);
        expected.push_back("text " + text);
        expected.push_back("progress " + std::to_string(block) + "/" + std::to_string(last));
        pause();
    }
}

class OperationRunnerTest : public testing::Test {
  protected:
    // Starts the work and runs the event loop until the run has finished; false if it did not
    // within ten seconds. sleepFirst keeps the user-interface thread from taking any batch for
    // that long after the start.
    bool Run(OperationRunner::Work work, std::chrono::milliseconds sleepFirst = {}) {
        QEventLoop loop;
        bool finished = false;
        const auto connection = QObject::connect(&runner_, &OperationRunner::Finished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        EXPECT_TRUE(runner_.Start(std::move(work), log_));
        std::this_thread::sleep_for(sleepFirst);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(connection);
        runner_.CancelAndWait(); // a run that did not finish stops before what it uses goes
        return finished;
    }

    Log log_;
    OperationRunner runner_{log_, nullptr};
};

TEST_F(OperationRunnerTest, EveryReportArrivesOnceAndInOrderHoweverTheBatchesFall) {
    std::vector<std::string> expected;
    // Shorter than a batch interval: everything goes with the end of the run.
    ASSERT_TRUE(Run([&](StatusSink& status, MessageSink&, const CancelToken&) {
        ReportBlocks(status, expected, 1, 3000, [] {});
        status.EndProgress();
        expected.push_back("end");
        return true;
    }));
    EXPECT_EQ(log_.lines, expected);

    // Longer than many intervals, with the user-interface thread asleep for the first part of
    // it: batches wait, grow, and the last is added to one not taken yet.
    log_.lines.clear();
    expected.clear();
    ASSERT_TRUE(Run(
        [&](StatusSink& status, MessageSink&, const CancelToken&) {
            ReportBlocks(status, expected, 1, 400,
                         [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); });
            return true;
        },
        std::chrono::milliseconds(150)));
    EXPECT_EQ(log_.lines, expected);
}

TEST_F(OperationRunnerTest, AMessageComesBetweenTheReportsBeforeAndAfterIt) {
    std::vector<std::string> expected;
    ASSERT_TRUE(Run([&](StatusSink& status, MessageSink& messages, const CancelToken&) {
        ReportBlocks(status, expected, 1, 50, [] {});
        messages.ShowMessage("Write verification failed.", "Tessary", MessageIcon::Error, true);
        expected.push_back("message Write verification failed.");
        ReportBlocks(status, expected, 51, 100, [] {});
        return false;
    }));
    EXPECT_EQ(log_.lines, expected);
}

TEST_F(OperationRunnerTest, NothingOfAnAbandonedRunReachesTheNext) {
    std::atomic<bool> reporting = false;
    ASSERT_TRUE(runner_.Start(
        [&](StatusSink& status, MessageSink&, const CancelToken& cancel) {
            for (int block = 1; !cancel.Cancelled(); ++block) {
                status.SetStatusText("Old block: " + std::to_string(block));
                reporting = true;
            }
            return false;
        },
        log_));
    while (!reporting) {
        std::this_thread::yield();
    }
    // Its reports, and its end, may still be queued as signals when the next run starts.
    runner_.CancelAndWait();
    EXPECT_FALSE(runner_.Busy());
    log_.lines.clear();

    std::vector<std::string> expected;
    std::atomic<bool> go = false;
    bool finished = false;
    QObject::connect(&runner_, &OperationRunner::Finished, [&] { finished = true; });
    ASSERT_TRUE(runner_.Start(
        [&](StatusSink& status, MessageSink&, const CancelToken&) {
            // Not for ever: were the old run's end taken for this one's, the wait for it would
            // hold the user-interface thread until this returns.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (!go && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            ReportBlocks(status, expected, 1, 10, [] {});
            return true;
        },
        log_));
    QCoreApplication::processEvents(); // the old run's signals are delivered now
    EXPECT_TRUE(runner_.Busy()) << "the old run's end ended the new one";
    EXPECT_FALSE(finished);
    QEventLoop loop;
    QObject::connect(&runner_, &OperationRunner::Finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    go = true;
    loop.exec();
    runner_.CancelAndWait(); // the worker is out of the run before what it reports to goes
    ASSERT_TRUE(finished);
    EXPECT_EQ(log_.lines, expected);
}

} // namespace
} // namespace tessary::test
