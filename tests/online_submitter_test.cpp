// The background submission: one at a time, results handed over whole, and a
// worker that outlives its owner touching only what it shares.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "online/ScoreSubmitter.h"
#include "score_server/ScoreServer.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SNOKRYSTAL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SNOKRYSTAL_SANITIZED 1
#endif
#endif

namespace {

using namespace std::chrono_literals;

// Results as callbacks deliver them, waited for with a bound.
struct Deliveries {
  std::mutex lock;
  std::condition_variable arrived;
  std::vector<ScoreResult> results;

  std::function<void(ScoreResult)> callback() {
    return [this](ScoreResult result) {
      const std::lock_guard guard(lock);
      results.push_back(std::move(result));
      arrived.notify_all();
    };
  }
  bool waitFor(std::size_t count, std::chrono::milliseconds bound = 10s) {
    std::unique_lock guard(lock);
    return arrived.wait_for(guard, bound, [&] { return results.size() >= count; });
  }
};

class Submitter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test::clearProxyEnvironment();
    initScoreClient();
  }
  void SetUp() override {
    ASSERT_TRUE(server.running());
    submitter.endpoint = server.endpoint(1000, 1500);
  }

  test::ScoreServer server;
  ScoreSubmitter submitter;
  Deliveries deliveries;
};

}  // namespace

TEST_F(Submitter, NextSubmissionIsAcceptedWhileTheLastCallbackStillRuns) {
  server.answer(200, R"({"ok":true,"plass":1,"totalt":1})");
  std::mutex lock;
  std::condition_variable changed;
  bool firstCallbackRunning = false;
  bool secondSubmitted = false;

  submitter.submit("snokrystal", 1, "first", [&](ScoreResult) {
    std::unique_lock guard(lock);
    firstCallbackRunning = true;
    changed.notify_all();
    changed.wait_for(guard, 10s, [&] { return secondSubmitted; });
  });
  {
    std::unique_lock guard(lock);
    ASSERT_TRUE(changed.wait_for(guard, 10s, [&] { return firstCallbackRunning; }));
  }
  // The exchange is over, the callback is still running: accepted at once.
  EXPECT_FALSE(submitter.isBusy());
  submitter.submit("snokrystal", 2, "second", deliveries.callback());
  {
    const std::lock_guard guard(lock);
    secondSubmitted = true;
    changed.notify_all();
  }
  ASSERT_TRUE(deliveries.waitFor(1));
  EXPECT_TRUE(deliveries.results[0].ok);
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_TRUE(server.requests()[1].body.ends_with("&navn=second"));
}

// Runs in a fresh process (the death-test machinery re-executes the test),
// where no finished thread has left a stack behind for reuse.
std::string submitWithoutRoomForAThread() {
  const ScoreEndpoint nowhere{.host = "127.0.0.1",
                              .port = test::unusedPort(),
                              .caFile = {},
                              .connectTimeoutMs = 1000,
                              .totalTimeoutMs = 1500};
  ScoreSubmitter submitter;
  submitter.endpoint = nowhere;
  // With the address space capped near its current size there is no room
  // for a new thread's stack.
  rlimit previous{};
  if (getrlimit(RLIMIT_AS, &previous) != 0) return "getrlimit failed";
  std::size_t used = 0;
  {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with("VmSize:")) used = std::stoul(line.substr(7)) * 1024;
    }
  }
  int calls = 0;
  ScoreResult received;
  rlimit tight = previous;
  tight.rlim_cur = used + 1024 * 1024;
  if (setrlimit(RLIMIT_AS, &tight) != 0) return "setrlimit failed";
  submitter.submit("snokrystal", 1, "x", [&](ScoreResult result) {
    ++calls;
    received = std::move(result);
  });
  setrlimit(RLIMIT_AS, &previous);
  if (submitter.isBusy()) return "busy stuck at true";
  if (calls != 1 || received.ok || received.error != kNoWorkerThread) {
    return "callback calls " + std::to_string(calls) + ", error '" + received.error + "'";
  }
  // And the next submission runs normally.
  Deliveries deliveries;
  submitter.submit("snokrystal", 1, "x", deliveries.callback());
  if (!deliveries.waitFor(1) || deliveries.results[0].error != "HttpSendRequest feilet: 7") {
    return "the next submission did not run";
  }
  return "idle after a failed start";
}

TEST(SubmitterThreads, ThreadThatCannotStartLeavesTheSubmitterIdle) {
#ifdef SNOKRYSTAL_SANITIZED
  GTEST_SKIP() << "sanitizers reserve address space beyond any small limit";
#else
  initScoreClient();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::fputs(submitWithoutRoomForAThread().c_str(), stderr);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "^idle after a failed start$");
#endif
}

TEST(ScoreInboxHandOver, ResultsArriveWhole) {
  // A worker delivering while the main thread takes: every result taken is
  // one that was delivered, never a mix of two.
  auto inbox = std::make_shared<ScoreInbox>();
  constexpr int kRounds = 2000;
  std::thread worker([inbox] {
    for (int i = 1; i <= kRounds; ++i) {
      inbox->deliver(ScoreResult{.ok = i % 2 == 0,
                                 .place = i,
                                 .total = i + 1,
                                 .error = std::string(static_cast<std::size_t>(i % 50), 'e')});
    }
  });
  int lastSeen = 0;
  while (lastSeen < kRounds) {
    if (const std::optional<ScoreResult> r = inbox->take()) {
      EXPECT_GT(r->place, lastSeen);
      EXPECT_EQ(r->total, r->place + 1);
      EXPECT_EQ(r->ok, r->place % 2 == 0);
      EXPECT_EQ(r->error.size(), static_cast<std::size_t>(r->place % 50));
      lastSeen = r->place;
    }
  }
  worker.join();
  EXPECT_FALSE(inbox->take().has_value());  // taken once only
}
