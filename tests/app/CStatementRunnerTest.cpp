#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/CStatementRunner.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(CStatementRunnerTest, RunsOffThisThreadAndReturnsWhenTheJobEnds) {
    apptest::Application();
    CStatementRunner runner;
    std::atomic<bool> release = false;
    bool onWorker = false;
    bool refused = false;
    bool runningMeanwhile = false;
    int events = 0;
    // Events are served while the job waits; a second job is refused.
    QTimer::singleShot(0, &runner, [&] {
        ++events;
        runningMeanwhile = runner.IsRunning();
        refused = !runner.Run([] {});
        release = true;
    });
    const std::thread::id caller = std::this_thread::get_id();
    ASSERT_TRUE(runner.Run([&] {
        onWorker = runner.IsWorkerThread() && std::this_thread::get_id() != caller;
        while (!release) std::this_thread::yield();
    }));
    EXPECT_EQ(events, 1);
    EXPECT_TRUE(onWorker);
    EXPECT_TRUE(runningMeanwhile);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_FALSE(runner.IsWorkerThread());
}

TEST(CStatementRunnerTest, AnExceptionOfTheJobIsThrownToTheCaller) {
    apptest::Application();
    CStatementRunner runner;
    EXPECT_THROW(runner.Run([] { throw std::runtime_error("read failed"); }), std::runtime_error);
    EXPECT_FALSE(runner.IsRunning());
    int runs = 0;
    EXPECT_TRUE(runner.Run([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

}  // namespace
