// The name entry after a win, through the game's own event handler, with the
// score going to a local leaderboard; the overlay it draws; the screens
// without fonts.

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <thread>

#include "app/Game.h"
#include "online/NameEntry.h"
#include "score_server/ScoreServer.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;
using namespace std::chrono_literals;

bool sameResult(const ScoreResult& a, const ScoreResult& b) {
  return a.ok == b.ok && a.place == b.place && a.total == b.total && a.error == b.error;
}

const ScoreResult kPlacedResult{true, 3, 41, ""};

class NameEntry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::clearProxyEnvironment(); }

  void SetUp() override {
    ASSERT_TRUE(server.running());
    game.submitter.endpoint = server.endpoint(1000, 1500);
    server.answer(200, R"({"ok":true,"plass":3,"totalt":41})");
  }

  // A score still on its way is waited for: the worker is detached, and one
  // still inside libcurl when the test program exits leaves OpenSSL's
  // per-thread state to the leak checker.
  void TearDown() override {
    EXPECT_TRUE(test::eventually([this] { return !game.submitter.isBusy(); }));
  }

  // Plays level 1 from the title, or replays the level from the win menu
  // ("SPILL NIVÅ n IGJEN", the second item), to its end; with `pastCooldown`
  // the prompt then takes characters.
  void win(bool pastCooldown = true) {
    if (game.state == GameState::Menu) {
      test::press(game, Key::Num1);
    } else if (game.state == GameState::Won) {
      test::press(game, {Key::Down, Key::Enter});
    }
    ASSERT_EQ(game.state, GameState::Playing);
    probe::play(game, probe::solution(game));
    ASSERT_EQ(game.state, GameState::Won);
    ASSERT_TRUE(game.nameEntryActive);
    if (pastCooldown) test::advance(game, 0.05f, 7);
  }

  void submit() { test::send(game, {test::textEntered(13)}); }

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

TEST_F(NameEntry, TextEnterSendsTheNameAndTheTimeInHundredths) {
  win(false);
  submit();  // within the first 0.3 s: nothing is sent
  EXPECT_TRUE(game.nameEntryActive);
  test::advance(game, 0.05f, 7);
  game.elapsedTime = 42.178f;  // a run of 42.178 s
  test::type(game, "Ice Fox");
  // One Enter key arrives as a key press and then a text event: the key
  // press reaches neither the name entry nor the menu.
  test::press(game, Key::Enter);
  EXPECT_TRUE(game.nameEntryActive);
  EXPECT_FALSE(game.submitter.isBusy());
  test::send(game, {test::keyPress(Key::Enter), test::textEntered(13)});
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_EQ(game.state, GameState::Won);
  EXPECT_EQ(game.levelIndex, 0);
  EXPECT_EQ(game.playerName, "Ice Fox");
  EXPECT_FALSE(game.submitter.worker.joinable()) << "the worker runs detached";
  ASSERT_TRUE(awaitOutcome());
  EXPECT_TRUE(sameResult(game.lastResult, kPlacedResult));
  EXPECT_FALSE(game.submitter.isBusy());
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].body,
            "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox");
}

TEST_F(NameEntry, ResultIsWholeBeforeTheFlagIsRaised) {
  win();
  submit();
  // The worker is done and has left its result, yet nothing shows until the
  // frame's event step takes it over on the main thread.
  ASSERT_TRUE(test::eventually([this] { return game.submitter.busy.use_count() == 1; }));
  EXPECT_FALSE(game.resultReady);
  EXPECT_TRUE(sameResult(game.lastResult, {}));
  game.handleEvents();
  ASSERT_TRUE(game.resultReady);
  EXPECT_TRUE(sameResult(game.lastResult, kPlacedResult));
  // An empty name goes out as "Anonym" and stays empty itself.
  EXPECT_TRUE(server.requests().at(0).body.ends_with("&navn=Anonym"));
  EXPECT_EQ(game.playerName, "");
}

TEST(NameEntryTeardown, GameDestroyedWhileTheWorkerWaitsOnTheServer) {
  test::clearProxyEnvironment();
  test::ScoreServer server;
  ASSERT_TRUE(server.running());
  server.behave("silent");
  auto game = std::make_unique<Game>();
  game->submitter.endpoint = server.endpoint(1000, 1500);
  probe::winLevel(*game, Key::Num1);
  ASSERT_EQ(game->state, GameState::Won);
  test::advance(*game, 0.05f, 7);
  test::send(*game, {test::textEntered(13)});
  ASSERT_TRUE(test::eventually([&] { return server.requests().size() == 1; }));

  const std::shared_ptr<ScoreInbox> inbox = game->scoreInbox;
  const std::shared_ptr<std::atomic<bool>> busy = game->submitter.busy;
  game.reset();  // closing the window mid-submission: nothing waits
  EXPECT_TRUE(busy->load());
  EXPECT_EQ(inbox.use_count(), 2) << "the worker holds, not the game, what it delivers into";

  // The worker finishes later, into what it shares, and lets go of it.
  ASSERT_TRUE(test::eventually([&] { return busy.use_count() == 1 && inbox.use_count() == 1; }));
  EXPECT_FALSE(busy->load());
  const std::optional<ScoreResult> late = inbox->take();
  ASSERT_TRUE(late.has_value());
  EXPECT_EQ(late->error, "HttpSendRequest feilet: 28");
}

TEST(NameEntryRules, ScoreInHundredthsAndTheBlinkingCursor) {
  // Beyond what a 32-bit score holds: clamped instead of undefined.
  const std::pair<float, int> scores[] = {
      {42.178f, 4217}, {3.0e7f, 2147483647}, {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& [seconds, score] : scores) {
    EXPECT_EQ(scoreHundredths(seconds), score) << seconds;
  }
  const std::pair<int, char> cursors[] = {{499, '_'}, {500, ' '}, {1000, '_'}, {123956, ' '}};
  for (const auto& [ms, cursor] : cursors) {
    EXPECT_EQ(nameCursor(std::chrono::milliseconds(ms)), cursor) << ms;
  }
}

namespace {

// At 1280x720: the prompt panel spans (420, 260) to (860, 460), its input
// box (450, 330) to (830, 374); the outcome panel spans (420, 280) to
// (860, 440).
const sf::Color kNameDim(4, 8, 16, 200);
const sf::Color kInputBox(55, 138, 221, 15);

probe::Pixel dimmed(const sf::Image& under, unsigned x, unsigned y) {
  return probe::Pixel{x, y, under.getPixel({x, y})} + kNameDim;
}
probe::Pixel panel(const sf::Image& under, unsigned x, unsigned y) {
  return dimmed(under, x, y) + sf::Color(6, 12, 26, 245);
}

// The ink in a band of rows across the panel, against the plain panel.
probe::Ink inkInBand(const sf::Image& shot, const sf::Image& under, int top, int height,
                     int threshold = 45) {
  return probe::findInkOver(
      shot, {{424, top}, {432, height}},
      [&under](unsigned x, unsigned y) { return panel(under, x, y).colour; }, threshold);
}

bool amber(sf::Color c) { return c.r > c.b + 80 && c.g > c.b + 40; }
bool green(sf::Color c) { return c.g > c.r + 60 && c.g > c.b; }

// The dimming, the prompt panel and its input box over the frame beneath.
void expectPromptShapes(const sf::Image& prompt, const sf::Image& under) {
  probe::expectPixels(
      prompt, {dimmed(under, 100, 100), panel(under, 425, 265), panel(under, 855, 455),
               dimmed(under, 418, 300), panel(under, 455, 335) + kInputBox, panel(under, 445, 335),
               panel(under, 455, 378)});
}

}  // namespace

TEST_F(NameEntry, PromptAndASecondSubmissionWhileTheFirstIsInFlight) {
  server.behave("silent");
  game.submitter.endpoint = server.endpoint(1000, 5000);  // outlasts two replays
  win();
  game.particles.clear();  // confetti would fall across the probes
  test::type(game, "Ola");
  const sf::Image prompt = test::capture(game, "name-prompt");
  test::press(game, Key::Escape);
  const sf::Image under = test::capture(game);
  expectPromptShapes(prompt, under);
  // "LEGG INN DITT NAVN" at P + 18, centred; no submission is out, so no
  // "Sender..." at P + 130.
  const probe::Ink heading = inkInBand(prompt, under, 278, 16, 30);
  EXPECT_TRUE(probe::centredOn(heading, 640.f, 6.f));
  EXPECT_FALSE(inkInBand(prompt, under, 388, 18).found);

  win();
  test::type(game, "first");
  submit();
  EXPECT_TRUE(game.submitter.isBusy());
  // While waiting, the win menu has the keys.
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  test::press(game, Key::Up);

  // A replay while the first score is out: the prompt says "Sender...", and
  // a second submission is dropped.
  win();
  game.particles.clear();
  const sf::Image sending = test::capture(game, "name-prompt-sending");
  ASSERT_TRUE(game.submitter.isBusy());
  const probe::Ink sender = inkInBand(sending, under, 388, 18);
  ASSERT_TRUE(probe::centredOn(sender, 640.f, 6.f));
  EXPECT_TRUE(amber(sender.brightest));
  test::type(game, "second");
  submit();
  EXPECT_FALSE(game.nameEntryActive);
  // The first one's outcome arrives while a later prompt is open: the prompt
  // keeps the keys, and the outcome shows once Escape has closed it, also
  // within the first 0.3 s. Nothing is sent for a skipped prompt.
  win(false);
  ASSERT_TRUE(awaitOutcome());
  EXPECT_TRUE(game.nameEntryActive);
  test::press(game, Key::Escape);
  submit();
  EXPECT_TRUE(game.resultReady);
  EXPECT_EQ(game.lastResult.error, "HttpSendRequest feilet: 28");
  // The second never went out, and never calls back.
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(server.requests()[0].body.ends_with("&navn=first"));
  test::press(game, Key::Space);
  std::this_thread::sleep_for(300ms);
  game.handleEvents();
  EXPECT_FALSE(game.resultReady);
}

TEST_F(NameEntry, OutcomePanels) {
  // "Score sendt!" with the place, then "Score ikke sendt" when the server
  // hangs up; both on the shorter panel, 160 high from y = 280.
  for (const bool sent : {true, false}) {
    SCOPED_TRACE(sent);
    if (!sent) server.behave("hangup");
    win();
    game.particles.clear();
    submit();
    ASSERT_TRUE(awaitOutcome());
    ASSERT_EQ(game.lastResult.ok, sent);
    const sf::Image outcome = test::capture(game, sent ? "name-score-sent" : "name-score-not-sent");
    test::press(game, Key::Enter);
    const sf::Image under = test::capture(game);
    // No input box at (455, 372).
    probe::expectPixels(outcome, {panel(under, 425, 284), panel(under, 855, 436),
                                  dimmed(under, 425, 446), panel(under, 455, 372)});
    // Line 1 at P + 30: green or amber; line 2 at P + 62: the place in blue,
    // or "(ingen internettforbindelse?)" in faint snow white.
    const probe::Ink title = inkInBand(outcome, under, 310, 26);
    ASSERT_TRUE(probe::centredOn(title, 640.f, 6.f));
    EXPECT_TRUE(sent ? green(title.brightest) : amber(title.brightest));
    const probe::Ink second = inkInBand(outcome, under, 342, 18, 30);
    ASSERT_TRUE(probe::centredOn(second, 640.f, 6.f));
    EXPECT_EQ(second.brightest.b > second.brightest.r + 80, sent);
    // The faint "ENTER / SPACE for å fortsette" at P + 100.
    EXPECT_TRUE(inkInBand(outcome, under, 380, 16, 20).found);
  }
}

TEST(NoFonts, ScreensDrawOnlyTheirShapesAndTheBoardAndTheBandStay) {
  Game game(probe::missingFonts());
  ASSERT_FALSE(game.fontsLoaded);
  const sf::Image title = test::capture(game);
  unsigned differing = 0;
  for (unsigned y = 0; y < 720; y += 3) {
    for (unsigned x = 0; x < 1280; x += 3) {
      differing += test::colourNear(title, x, y, probe::backdrop(x, y)) ? 0 : 1;
    }
  }
  EXPECT_EQ(differing, 0u);

  // The status bar's band stays, and the board.
  const sf::Color body(55, 138, 221);
  const probe::Pixel band = probe::onBackdrop(7, 3) + sf::Color(4, 8, 22, 210);
  test::press(game, Key::Num1);
  // The win overlay draws nothing; the name prompt only its shapes.
  probe::play(game, probe::kLevelOneSolution, 100);
  ASSERT_TRUE(game.nameEntryActive);
  test::advance(game, 0.05f, 7);
  game.particles.clear();
  test::type(game, "Ola");
  const sf::Image prompt = test::capture(game, "name-prompt-no-fonts");
  test::press(game, Key::Escape);
  const sf::Image under = test::capture(game);
  expectPromptShapes(prompt, under);
  EXPECT_FALSE(inkInBand(prompt, under, 270, 50, 20).found);  // no heading, no name
  const sf::Color box = (panel(under, 455, 335) + kInputBox).colour;
  EXPECT_FALSE(probe::findInk(prompt, {{452, 340}, {376, 32}}, box, 20).found);
  const sf::Image board = probe::boardBeneath(game);
  probe::expectPixels(under, {probe::on(board, 400, 250), probe::on(board, 455, 300),
                              probe::Pixel{896 + 13, 580, body}, band});
}
