// The background submission: one at a time, results handed over whole, a
// thread that cannot start leaving nothing stuck, and a game destroyed while
// its worker waits on the server.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <thread>

#include "app/Game.h"
#include "online/ScoreSubmitter.h"
#include "score_server/ScoreServer.h"
#include "support/TestSupport.h"

TEST(Submitter, NextSubmissionIsAcceptedWhileTheLastCallbackStillRuns) {
  test::clearProxyEnvironment();
  initScoreClient();
  test::ScoreServer server;
  ASSERT_TRUE(server.running());
  server.answer(R"({"ok":true,"plass":1,"totalt":1})");
  ScoreSubmitter submitter;
  submitter.endpoint = server.endpoint();
  std::atomic<bool> firstCalling = false;
  std::atomic<bool> secondSubmitted = false;
  submitter.submit("snokrystal", 1, "first", [&](ScoreResult) {
    firstCalling = true;
    test::eventually([&] { return secondSubmitted.load(); });
  });
  ASSERT_TRUE(test::eventually([&] { return firstCalling.load(); }));
  // The exchange is over, its callback is still running: accepted at once.
  EXPECT_FALSE(submitter.isBusy());
  std::atomic<int> secondOk = -1;
  submitter.submit("snokrystal", 2, "second", [&](ScoreResult result) { secondOk = result.ok; });
  secondSubmitted = true;
  ASSERT_TRUE(test::eventually([&] { return secondOk != -1; }));
  EXPECT_EQ(secondOk, 1);
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_TRUE(server.requests()[1].body.ends_with("&navn=second"));
}

// Runs in a fresh process (the death-test machinery re-executes the test),
// where no finished thread has left a stack behind for reuse.
std::string submitWithoutRoomForAThread() {
  ScoreSubmitter submitter;
  submitter.endpoint = ScoreEndpoint{.host = "127.0.0.1",
                                     .port = 9,
                                     .caFile = {},
                                     .connectTimeoutMs = 1000,
                                     .totalTimeoutMs = 1000};
  // With the address space capped near its current size there is no room
  // for a new thread's stack.
  std::size_t used = 0;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmSize:")) used = std::stoul(line.substr(7)) * 1024;
  }
  rlimit previous{};
  if (getrlimit(RLIMIT_AS, &previous) != 0) return "getrlimit failed";
  rlimit tight = previous;
  tight.rlim_cur = used + (1 << 20);
  if (setrlimit(RLIMIT_AS, &tight) != 0) return "setrlimit failed";
  std::vector<ScoreResult> received;
  submitter.submit("snokrystal", 1, "x", [&](ScoreResult r) { received.push_back(std::move(r)); });
  setrlimit(RLIMIT_AS, &previous);
  if (submitter.isBusy() || received.size() != 1 || received[0].error != kNoWorkerThread) {
    return "busy stuck, or no failed result";
  }
  // And the next submission runs normally.
  std::atomic<bool> ran = false;
  submitter.submit("snokrystal", 1, "x", [&](ScoreResult r) {
    received.push_back(std::move(r));
    ran = true;
  });
  return test::eventually([&] { return ran.load(); }) &&
                 received.at(1).error == "HttpSendRequest feilet: 7"
             ? "idle"
             : "no next";
}

TEST(Submitter, ThreadThatCannotStartLeavesTheSubmitterIdle) {
  if (test::kSanitized) GTEST_SKIP() << "sanitizers reserve address space beyond any limit";
  initScoreClient();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::fputs(submitWithoutRoomForAThread().c_str(), stderr);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "^idle$");
}

TEST(ScoreInbox, ResultsArriveWhole) {
  // A worker delivering while the main thread takes: every result taken is
  // one that was delivered, never a mix of two.
  auto inbox = std::make_shared<ScoreInbox>();
  constexpr int kRounds = 2000;
  std::thread worker([inbox] {
    for (int i = 1; i <= kRounds; ++i) {
      inbox->deliver(
          {.ok = i % 2 == 0, .place = i, .total = i + 1, .error = std::string(i % 50, 'e')});
    }
  });
  int lastSeen = 0;
  while (lastSeen < kRounds) {
    if (const std::optional<ScoreResult> r = inbox->take()) {
      EXPECT_GT(r->place, lastSeen);
      EXPECT_EQ(std::tuple(r->total, r->ok, r->error.size()),
                std::tuple(r->place + 1, r->place % 2 == 0, std::size_t(r->place % 50)));
      lastSeen = r->place;
    }
  }
  worker.join();
  EXPECT_FALSE(inbox->take().has_value());  // taken once only
}

// The server holds its answer until the test opens the gate.
TEST(Submitter, GameDestroyedWhileTheWorkerWaitsOnTheServer) {
  test::clearProxyEnvironment();
  test::ScoreServer server;
  ASSERT_TRUE(server.running());
  server.behave("hold", 200, R"({"ok":true,"plass":3,"totalt":41})");
  auto game = std::make_unique<Game>();
  game->submitter.endpoint = server.endpoint(60000);
  test::win(*game, sf::Keyboard::Key::Num1);
  test::advance(*game, 7);
  test::type(*game, "\r");
  const std::shared_ptr<ScoreInbox> inbox = game->scoreInbox;
  const std::shared_ptr<std::atomic<bool>> busy = game->submitter.busy;
  game.reset();  // closing the window mid-submission: nothing waits
  EXPECT_TRUE(busy->load());
  EXPECT_EQ(inbox.use_count(), 2) << "the worker holds, not the game, what it delivers into";
  // The worker finishes later, into what it shares, and lets go of it.
  server.openGate();
  ASSERT_TRUE(test::eventually([&] { return busy.use_count() == 1 && inbox.use_count() == 1; }));
  EXPECT_FALSE(busy->load());
  const std::optional<ScoreResult> late = inbox->take();
  ASSERT_TRUE(late.has_value());
  EXPECT_EQ(std::tuple(late->ok, late->place, late->total), std::tuple(true, 3, 41));
}
