// The background submission: one at a time, a thread that cannot start
// leaving nothing stuck, and the game's wins sent against a local leaderboard,
// their results handed over whole (under ThreadSanitizer too) and taken once.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <format>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Game.h"
#include "online/NameEntry.h"
#include "online/ScoreSubmitter.h"
#include "score_server/ScoreServer.h"
#include "support/TestSupport.h"

const ScoreEndpoint kRefused{"127.0.0.1", 9, {}, 1000, 1000};  // nothing listens there

TEST(Submitter, NextSubmissionIsAcceptedWhileTheLastCallbackStillRuns) {
  initScoreClient();
  ScoreSubmitter submitter;
  submitter.endpoint = kRefused;
  std::atomic<bool> firstCalling = false, secondSubmitted = false, secondRan = false;
  submitter.submit("snokrystal", 1, "first", [&](ScoreResult) {
    firstCalling = true;
    test::eventually([&] { return secondSubmitted.load(); });  // the gate
  });
  ASSERT_TRUE(test::eventually([&] { return firstCalling.load(); }));
  EXPECT_FALSE(submitter.isBusy());  // the exchange is over, its callback still running
  submitter.submit("snokrystal", 2, "second", [&](ScoreResult) { secondRan = true; });
  secondSubmitted = true;
  EXPECT_TRUE(test::eventually([&] { return secondRan.load(); }));
}

// In a fresh process (the death test re-executes it), where no finished
// thread has left a stack behind for reuse: with the address space capped
// near its current size there is no room for a new thread's stack.
bool idleAfterAThreadCannotStart() {
  ScoreSubmitter submitter;
  submitter.endpoint = kRefused;
  std::size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit previous{};
  getrlimit(RLIMIT_AS, &previous);
  const rlimit tight{pages * sysconf(_SC_PAGESIZE) + (1 << 20), previous.rlim_max};
  setrlimit(RLIMIT_AS, &tight);
  std::string firstError;
  submitter.submit("snokrystal", 1, "x", [&](ScoreResult r) { firstError = r.error; });
  setrlimit(RLIMIT_AS, &previous);
  const bool idle = !submitter.isBusy() && firstError == kNoWorkerThread;
  std::atomic<bool> nextRan = false;  // and the next submission runs
  submitter.submit("snokrystal", 1, "x", [&](ScoreResult) { nextRan = true; });
  return idle && test::eventually([&] { return nextRan.load(); });
}

TEST(Submitter, ThreadThatCannotStartLeavesTheSubmitterIdle) {
  if (__has_feature(address_sanitizer) || __has_feature(thread_sanitizer))
    GTEST_SKIP() << "sanitizers reserve address space beyond any limit";
  initScoreClient();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(idleAfterAThreadCannotStart() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

// Wins one after another, each name sent to the test leaderboard and the
// outcome awaited through the game's own frames. An outcome reaches the win
// screen whole (every way an exchange ends: online_client_test.cpp). While an
// answer is held, a second win's name is refused: never sent (the requests),
// never called back (it would show in place of the first's outcome, which
// shows when it comes). A game closed while its worker waits does not wait
// for it. The invariants of any play: fuzz/game_events.cpp.
TEST(Submitter, EveryOutcomeReachesTheWinScreenAndASecondNameWaitsForNone) {
  test::ScoreServer server;
  auto owned = std::make_unique<Game>();
  Game& game = *owned;
  std::vector<std::string> sent;
  const auto winAndSend = [&](const std::string& name) {
    // From the title, or to the next level by the win menu's first item.
    test::press(game, game.state == GameState::Menu ? test::Key::Num1 : test::Key::Enter);
    test::play(game, test::solution(game), test::kFrame);
    test::advance(game, 7);  // past the typing cooldown
    const std::string kept = name.empty() ? "Anonym" : name.substr(0, kLongestName);
    if (!game.submitter.isBusy())
      sent.push_back(buildScoreBody(kGameId, scoreHundredths(game.elapsedTime), kept));
    test::type(game, name + "\r");
  };
  const auto outcome = [&game] {
    EXPECT_TRUE(test::eventually([&game] {
      game.handleEvents();
      return game.resultReady;
    }));
    test::press(game, test::Key::Space);  // dismissed: the win menu again, the result kept
    const ScoreResult& r = game.lastResult;
    return std::format("{} {} {} {}", r.ok, r.place, r.total, r.error);
  };
  const std::string placed = R"({"ok":true,"plass":3,"totalt":41})", failed(kSendFailedPrefix);
  for (const auto& [mode, status, body, name, expected] :
       std::initializer_list<std::tuple<const char*, int, std::string, std::string, std::string>>{
           {"reply", 502, placed, "Ola", "true 3 41 "},
           {"reply", 200, R"({"ok":false,"feil":"ugyldig navn"})", "", "false 0 0 "},
           {"hangup", 200, "", "abcdefghijklmnopqrs", "false 0 0 " + failed + "5[26]"}}) {
    server.behave(mode, status, body);
    game.submitter.endpoint = server.endpoint(1500);
    winAndSend(name);
    EXPECT_TRUE(std::regex_match(outcome(), std::regex(expected))) << mode;
  }
  server.behave("hold", 200, placed);  // until the gate opens
  game.submitter.endpoint = server.endpoint(60000);
  winAndSend("first");
  winAndSend("second");
  EXPECT_TRUE(game.submitter.isBusy() && !game.nameEntryActive);
  server.openGate();
  EXPECT_EQ(outcome(), "true 3 41 ");
  ASSERT_TRUE(test::eventually([&] { return game.submitter.busy.use_count() == 1; }));
  EXPECT_FALSE(game.scoreInbox->take()) << "the refused submission called back";
  server.behave("hold", 200, placed);
  winAndSend("last");
  const auto [inbox, busy] = std::pair(game.scoreInbox, game.submitter.busy);
  owned.reset();
  EXPECT_EQ(inbox.use_count(), 2) << "the worker, still waiting, holds what it delivers into";
  // The worker finishes later, into what it shares, and lets go of it.
  server.openGate();
  ASSERT_TRUE(test::eventually([&] { return busy.use_count() == 1 && inbox.use_count() == 1; }));
  EXPECT_EQ(inbox->take().value_or(ScoreResult{}).place, 3);
  EXPECT_TRUE(std::ranges::equal(server.requests(), sent, {}, &test::RecordedRequest::body));
}
