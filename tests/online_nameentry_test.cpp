// The name entry after a win, through the game's own event handler, with the
// score going to a local leaderboard that holds an answer until the test
// opens its gate.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "app/Game.h"
#include "online/NameEntry.h"
#include "score_server/ScoreServer.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;

constexpr const char* kPlaced = R"({"ok":true,"plass":3,"totalt":41})";
constexpr long kHeld = 60000;  // a bound no held answer reaches

auto fields(const ScoreResult& r) { return std::tuple(r.ok, r.place, r.total, r.error); }

// No submission's worker is left: it has finished and let go of its task.
bool workersDone(const Game& game) { return game.submitter.busy.use_count() == 1; }

class NameEntry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::clearProxyEnvironment(); }

  void SetUp() override {
    ASSERT_TRUE(server.running());
    game.submitter.endpoint = server.endpoint();
    server.answer(kPlaced);
  }
  // A worker still inside libcurl when the test program exits leaves
  // OpenSSL's per-thread state to the leak checker.
  void TearDown() override {
    server.openGate();
    EXPECT_TRUE(test::eventually([this] { return workersDone(game); }));
  }

  // Wins level 1 from the title, to which a win before goes back by "VELG
  // NIVÅ"; with `pastCooldown` the prompt then takes characters.
  void win(bool pastCooldown = true) {
    for (int i = game.menuSelection; game.state == GameState::Won && i < 2; ++i) {
      test::press(game, Key::Down);
    }
    if (game.state == GameState::Won) test::press(game, Key::Enter);
    test::win(game, Key::Num1);
    ASSERT_TRUE(game.nameEntryActive);
    if (pastCooldown) test::advance(game, 7);
  }

  // Runs the frame's event step until a result is on screen.
  bool awaitOutcome() {
    return test::eventually([this] {
      game.handleEvents();
      return game.resultReady;
    });
  }

  test::ScoreServer server;
  Game game;
};

}  // namespace

TEST_F(NameEntry, TheTextEventOfEnterSendsTheNameAndTheTimeInHundredths) {
  win(false);
  test::type(game, "\r");  // within the first 0.3 s: nothing is sent
  EXPECT_TRUE(game.nameEntryActive);
  test::advance(game, 7);
  game.elapsedTime = 42.178f;
  test::type(game, "Ice Fox");
  // One Enter key arrives as a key press and then a text event: the key
  // press reaches neither the name entry nor the menu.
  test::press(game, Key::Enter);
  EXPECT_TRUE(game.nameEntryActive);
  test::send(game, {test::keyPress(Key::Enter), sf::Event::TextEntered{13}});
  EXPECT_EQ(std::tuple(game.nameEntryActive, game.state, game.playerName),
            std::tuple(false, GameState::Won, "Ice Fox"));
  ASSERT_TRUE(awaitOutcome());
  EXPECT_EQ(fields(game.lastResult), fields({true, 3, 41, ""}));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].body,
            "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox");
}

TEST_F(NameEntry, ASecondSubmissionWhileTheFirstIsHeldIsRefusedAndNeverCallsBack) {
  server.behave("hold", 200, kPlaced);
  game.submitter.endpoint = server.endpoint(kHeld);
  win();
  test::type(game, "first\r");
  ASSERT_TRUE(game.submitter.isBusy());
  // While waiting, the win menu has the keys.
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  win();
  test::type(game, "second\r");
  EXPECT_FALSE(game.nameEntryActive);
  // The first one's outcome arrives while a later prompt is open: the prompt
  // keeps the keys, and the outcome shows once Escape has closed it, also
  // within the first 0.3 s. Nothing is sent for a skipped prompt.
  win(false);
  server.openGate();
  ASSERT_TRUE(awaitOutcome());
  EXPECT_TRUE(game.nameEntryActive);
  test::press(game, Key::Escape);
  EXPECT_EQ(std::pair(game.resultReady, game.lastResult.ok), std::pair(true, true));
  ASSERT_TRUE(test::eventually([this] { return workersDone(game); }));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(server.requests()[0].body.ends_with("&navn=first"));
  test::press(game, Key::Space);
  game.handleEvents();
  EXPECT_FALSE(game.resultReady) << "the refused one called back";
}

TEST(NameEntryTeardown, GameDestroyedWhileTheWorkerWaitsOnTheServer) {
  test::clearProxyEnvironment();
  test::ScoreServer server;
  ASSERT_TRUE(server.running());
  server.behave("hold", 200, kPlaced);
  auto game = std::make_unique<Game>();
  game->submitter.endpoint = server.endpoint(kHeld);
  test::win(*game, Key::Num1);
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
  EXPECT_EQ(fields(*late), fields({true, 3, 41, ""}));
}

TEST(NameEntryRules, ScoreInHundredthsAndTheBlinkingCursor) {
  // Beyond what a 32-bit score holds: clamped instead of undefined.
  for (const auto& [seconds, score] : {std::pair{42.178f, 4217},
                                       {3.0e7f, 2147483647},
                                       {std::numeric_limits<float>::quiet_NaN(), 0}}) {
    EXPECT_EQ(scoreHundredths(seconds), score) << seconds;
  }
  for (const auto& [ms, cursor] : {std::pair{499, '_'}, {500, ' '}, {1000, '_'}, {123956, ' '}}) {
    EXPECT_EQ(nameCursor(std::chrono::milliseconds(ms)), cursor) << ms;
  }
}
