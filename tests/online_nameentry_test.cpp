// The name entry after a win, through the game's own event handler, with the
// score going to a local leaderboard; and the overlay it draws.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/Game.h"
#include "online/NameEntry.h"
#include "score_server/ScoreServer.h"
#include "support/RenderProbe.h"
#include "support/TestSupport.h"

namespace {

using Key = sf::Keyboard::Key;
using namespace std::chrono_literals;

constexpr const char* kPlaced = R"({"ok":true,"plass":3,"totalt":41})";

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds bound = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

bool sameResult(const ScoreResult& a, const ScoreResult& b) {
  return a.ok == b.ok && a.place == b.place && a.total == b.total && a.error == b.error;
}

class NameEntry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::clearProxyEnvironment(); }

  void SetUp() override {
    ASSERT_TRUE(server.running());
    game.submitter.endpoint = server.endpoint(1000, 1500);
    server.answer(200, kPlaced);
  }

  // Plays the current level (or level 1 from the title) to its end.
  void win() {
    if (game.state == GameState::Menu) {
      test::press(game, Key::Num1);
    } else if (game.state == GameState::Won) {
      // "SPILL NIVÅ n IGJEN", the second item.
      test::send(game, {test::keyPress(Key::Down), test::keyPress(Key::Enter)});
    }
    ASSERT_EQ(game.state, GameState::Playing);
    probe::play(game, probe::solution(game));
    ASSERT_EQ(game.state, GameState::Won);
    ASSERT_TRUE(game.nameEntryActive);
  }

  void pastCooldown() { test::advance(game, 0.05f, 7); }

  // Runs the frame's event step until a result is on screen.
  bool awaitOutcome() {
    return eventually([this] {
      game.handleEvents();
      return game.resultReady;
    });
  }

  std::string sentName(std::size_t request) {
    const auto requests = server.requests();
    if (request >= requests.size()) {
      return "<no request " + std::to_string(request) + ">";
    }
    const std::string& body = requests[request].body;
    return body.substr(body.find("&navn=") + 6);
  }

  test::ScoreServer server;
  Game game;
};

}  // namespace

TEST_F(NameEntry, TextEnterSendsTheNameAndTheTimeInHundredths) {
  win();
  game.elapsedTime = 42.178f;  // a run of 42.178 s
  pastCooldown();
  test::type(game, "Ice Fox");
  // The key event of Enter is not the submit: neither the name entry nor the
  // menu reacts to it.
  test::press(game, Key::Enter);
  EXPECT_TRUE(game.nameEntryActive);
  EXPECT_EQ(game.state, GameState::Won);
  EXPECT_FALSE(game.submitter.isBusy());
  EXPECT_TRUE(server.requests().empty());

  test::send(game, {test::textEntered(13)});
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_EQ(game.playerName, "Ice Fox");
  ASSERT_TRUE(awaitOutcome());
  EXPECT_TRUE(sameResult(game.lastResult, {true, 3, 41, ""}));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].body,
            "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox");
}

TEST_F(NameEntry, NothingIsTypedOrSentWithinTheCooldownButEscapeWorks) {
  win();
  test::type(game, "ab");
  test::send(game, {test::textEntered(13)});
  EXPECT_EQ(game.playerName, "");
  EXPECT_TRUE(game.nameEntryActive);
  EXPECT_FALSE(game.submitter.isBusy());
  test::press(game, Key::Escape);
  EXPECT_FALSE(game.nameEntryActive);
  // Skipped: nothing goes out, now or later, and the menu has the keys.
  pastCooldown();
  test::type(game, "cd");
  test::send(game, {test::textEntered(13)});
  EXPECT_EQ(game.playerName, "");
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  std::this_thread::sleep_for(200ms);
  game.handleEvents();
  EXPECT_FALSE(game.resultReady);
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(NameEntry, EmptyNameGoesOutAsAnonymAndSpacesAsTyped) {
  win();
  pastCooldown();
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(awaitOutcome());
  EXPECT_EQ(sentName(0), "Anonym");
  EXPECT_EQ(game.playerName, "");  // the name itself stays empty
  test::press(game, Key::Space);
  EXPECT_FALSE(game.resultReady);

  win();
  pastCooldown();
  test::type(game, "   ");
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(awaitOutcome());
  EXPECT_EQ(sentName(1), "+++");
}

TEST_F(NameEntry, SixteenPrintableCharactersAtMost) {
  win();
  pastCooldown();
  test::send(game, {test::textEntered(8)});  // Backspace on the empty name
  EXPECT_EQ(game.playerName, "");
  EXPECT_TRUE(game.nameEntryActive);
  test::send(game, {test::textEntered(U'\u00e5'), test::textEntered(U'\u00d8'),
                    test::textEntered(7), test::textEntered(127)});
  test::type(game, "x&score=1 %+ABCDEFG");  // 19 characters
  EXPECT_EQ(game.playerName, "x&score=1 %+ABCD");
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(awaitOutcome());
  EXPECT_EQ(sentName(0), "x%26score%3D1+%25%2BABCD");
}

TEST_F(NameEntry, OutcomeIsDismissedOnlyByTheEnterOrSpaceKey) {
  win();
  pastCooldown();
  test::type(game, "Kari");
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(awaitOutcome());
  const int selection = game.menuSelection;
  test::send(game, {test::textEntered(13), test::textEntered('a'), test::keyPress(Key::Escape),
                    test::keyPress(Key::Down), test::keyPress(Key::W), test::keyPress(Key::R)});
  EXPECT_TRUE(game.resultReady);
  EXPECT_EQ(game.menuSelection, selection);
  EXPECT_EQ(game.playerName, "Kari");
  test::press(game, Key::Enter);
  EXPECT_FALSE(game.resultReady);
  EXPECT_EQ(game.state, GameState::Won);  // the menu did not take that Enter
  EXPECT_EQ(game.levelIndex, 0);
}

TEST_F(NameEntry, ResultIsWholeBeforeTheFlagIsRaised) {
  win();
  pastCooldown();
  test::send(game, {test::textEntered(13)});
  // The worker is done and has left its result, yet nothing shows until the
  // frame's event step takes it over on the main thread.
  ASSERT_TRUE(eventually([this] { return game.submitter.busy.use_count() == 1; }));
  EXPECT_FALSE(game.resultReady);
  EXPECT_TRUE(sameResult(game.lastResult, {}));
  game.handleEvents();
  ASSERT_TRUE(game.resultReady);
  EXPECT_TRUE(sameResult(game.lastResult, {true, 3, 41, ""}));

  // Over many frames: whenever the flag is seen, the result is complete.
  test::press(game, Key::Space);
  win();
  server.answer(200, R"({"ok":true,"plass":7,"totalt":8})");
  pastCooldown();
  test::send(game, {test::textEntered(13)});
  int framesWithout = 0;
  ASSERT_TRUE(eventually([&] {
    game.handleEvents();
    if (!game.resultReady) {
      ++framesWithout;
      EXPECT_TRUE(sameResult(game.lastResult, {true, 3, 41, ""}));
    }
    return game.resultReady;
  }));
  EXPECT_TRUE(sameResult(game.lastResult, {true, 7, 8, ""}));
}

TEST_F(NameEntry, SecondSubmissionWhileTheFirstIsInFlightIsDropped) {
  server.behave("silent");
  game.submitter.endpoint = server.endpoint(1000, 3000);  // outlasts a replay
  win();
  pastCooldown();
  test::type(game, "first");
  test::send(game, {test::textEntered(13)});
  EXPECT_TRUE(game.submitter.isBusy());
  // While waiting, the win menu has the keys.
  test::press(game, Key::Down);
  EXPECT_EQ(game.menuSelection, 1);
  test::press(game, Key::Up);

  win();  // replays the level while the first score is still out
  pastCooldown();
  test::type(game, "second");
  test::send(game, {test::textEntered(13)});
  EXPECT_FALSE(game.nameEntryActive);

  // The first one's outcome is what shows; the second never went out.
  ASSERT_TRUE(awaitOutcome());
  EXPECT_FALSE(game.lastResult.ok);
  EXPECT_EQ(game.lastResult.error, "HttpSendRequest feilet: 28");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(sentName(0), "first");
  test::press(game, Key::Enter);
  std::this_thread::sleep_for(300ms);
  game.handleEvents();
  EXPECT_FALSE(game.resultReady);
}

TEST_F(NameEntry, OutcomeArrivingDuringALaterPromptWaitsForItToClose) {
  server.behave("silent");
  win();
  pastCooldown();
  test::send(game, {test::textEntered(13)});
  win();
  ASSERT_TRUE(awaitOutcome());
  EXPECT_TRUE(game.nameEntryActive);  // the prompt still has the keys
  test::type(game, "z");
  EXPECT_TRUE(game.resultReady);
  test::press(game, Key::Escape);
  EXPECT_FALSE(game.nameEntryActive);
  EXPECT_TRUE(game.resultReady);
  test::press(game, Key::Space);
  EXPECT_FALSE(game.resultReady);
}

TEST(NameEntryTeardown, GameDestroyedWhileTheWorkerWaitsOnTheServer) {
  test::clearProxyEnvironment();
  test::ScoreServer server;
  ASSERT_TRUE(server.running());
  server.behave("silent");
  auto game = std::make_unique<Game>();
  game->submitter.endpoint = server.endpoint(1000, 1500);
  test::press(*game, Key::Num1);
  probe::play(*game, probe::kLevelOneSolution);
  ASSERT_EQ(game->state, GameState::Won);
  test::advance(*game, 0.05f, 7);
  test::send(*game, {test::textEntered(13)});
  ASSERT_TRUE(eventually([&] { return server.requests().size() == 1; }));

  const std::shared_ptr<ScoreInbox> inbox = game->scoreInbox;
  const std::shared_ptr<std::atomic<bool>> busy = game->submitter.busy;
  game.reset();  // closing the window mid-submission: nothing waits
  EXPECT_TRUE(busy->load());

  // The worker finishes later, into what it shares, and lets go of it.
  ASSERT_TRUE(eventually([&] { return busy.use_count() == 1 && inbox.use_count() == 1; }));
  EXPECT_FALSE(busy->load());
  const std::optional<ScoreResult> late = inbox->take();
  ASSERT_TRUE(late.has_value());
  EXPECT_EQ(late->error, "HttpSendRequest feilet: 28");
}

TEST(NameEntryRules, ScoreIsTheTimeInHundredthsTruncated) {
  EXPECT_EQ(scoreHundredths(42.178f), 4217);
  EXPECT_EQ(scoreHundredths(65.25f), 6525);
  EXPECT_EQ(scoreHundredths(1.5f), 150);
  EXPECT_EQ(scoreHundredths(0.f), 0);
  // Beyond what a 32-bit score holds: clamped instead of undefined.
  EXPECT_EQ(scoreHundredths(3.0e7f), 2147483647);
  EXPECT_EQ(scoreHundredths(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(NameEntryRules, CursorBlinksOnWallTime) {
  EXPECT_EQ(nameCursor(0ms), '_');
  EXPECT_EQ(nameCursor(499ms), '_');
  EXPECT_EQ(nameCursor(500ms), ' ');
  EXPECT_EQ(nameCursor(999ms), ' ');
  EXPECT_EQ(nameCursor(1000ms), '_');
  EXPECT_EQ(nameCursor(123456ms), '_');
  EXPECT_EQ(nameCursor(123956ms), ' ');
}

// ------------------------------------------------------------- the overlay

namespace {

// At 1280x720: the prompt panel spans (420, 260) to (860, 460), its input
// box (450, 330) to (830, 374); the outcome panel spans (420, 280) to
// (860, 440).
const sf::Color kNameDim(4, 8, 16, 200);
const sf::Color kNamePanel(6, 12, 26, 245);
const sf::Color kInputBox(55, 138, 221, 15);

sf::Color panelOver(const sf::Image& under, unsigned x, unsigned y) {
  return test::blend(test::blend(under.getPixel({x, y}), kNameDim), kNamePanel);
}

// The ink in a band of rows across the panel, against the plain panel.
probe::Ink inkInBand(const sf::Image& shot, const sf::Image& under, int top, int height,
                     int threshold = 45) {
  return probe::findInkOver(
      shot, {{424, top}, {432, height}},
      [&under](unsigned x, unsigned y) { return panelOver(under, x, y); }, threshold);
}

bool amber(sf::Color c) { return c.r > c.b + 80 && c.g > c.b + 40; }
bool green(sf::Color c) { return c.g > c.r + 60 && c.g > c.b; }

}  // namespace

TEST_F(NameEntry, PromptPanelWithNameCursorAndSending) {
  server.behave("silent");
  game.submitter.endpoint = server.endpoint(1000, 5000);  // outlasts a replay
  win();
  pastCooldown();
  game.particles.clear();  // confetti would fall across the probes
  test::type(game, "Ola");
  const sf::Image prompt = test::capture(game);
  test::saveForInspection(prompt, "name-prompt");
  test::press(game, Key::Escape);
  const sf::Image under = test::capture(game);

  // Dimming everywhere, the panel, its outline and the input box.
  EXPECT_TRUE(
      test::colourNear(prompt, 100, 100, test::blend(under.getPixel({100, 100}), kNameDim)));
  EXPECT_TRUE(test::colourNear(prompt, 425, 265, panelOver(under, 425, 265)));
  EXPECT_TRUE(test::colourNear(prompt, 855, 455, panelOver(under, 855, 455)));
  EXPECT_TRUE(
      test::colourNear(prompt, 418, 300, test::blend(under.getPixel({418, 300}), kNameDim)));
  EXPECT_TRUE(
      test::colourNear(prompt, 455, 335, test::blend(panelOver(under, 455, 335), kInputBox)));
  EXPECT_TRUE(test::colourNear(prompt, 445, 335, panelOver(under, 445, 335)));
  EXPECT_TRUE(test::colourNear(prompt, 455, 378, panelOver(under, 455, 378)));

  // "LEGG INN DITT NAVN" at P + 18 and the name at P + 82, centred.
  const probe::Ink heading = inkInBand(prompt, under, 278, 16, 30);
  ASSERT_TRUE(heading.found);
  EXPECT_NEAR(heading.centreX(), 640.f, 6.f);
  const probe::Ink name = probe::findInkOver(
      prompt, {{452, 340}, {376, 32}},
      [&](unsigned x, unsigned y) { return test::blend(panelOver(under, x, y), kInputBox); });
  ASSERT_TRUE(name.found);
  EXPECT_NEAR(name.centreX(), 640.f, 16.f);  // the cursor cell shifts it
  EXPECT_GT(name.brightest.r, 180);
  // No submission is out: no "Sender..." at P + 130.
  EXPECT_FALSE(inkInBand(prompt, under, 388, 18).found);

  // With a score still out, the next win's prompt says "Sender...".
  test::send(game, {test::keyPress(Key::Down), test::keyPress(Key::Enter)});
  win();
  pastCooldown();
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(game.submitter.isBusy());
  win();
  game.particles.clear();
  const sf::Image sending = test::capture(game);
  test::saveForInspection(sending, "name-prompt-sending");
  ASSERT_TRUE(game.submitter.isBusy());
  const probe::Ink sender = inkInBand(sending, under, 388, 18);
  ASSERT_TRUE(sender.found);
  EXPECT_TRUE(amber(sender.brightest));
  EXPECT_NEAR(sender.centreX(), 640.f, 6.f);
}

TEST_F(NameEntry, ScoreSendtPanelWithThePlace) {
  win();
  pastCooldown();
  game.particles.clear();
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(awaitOutcome());
  const sf::Image outcome = test::capture(game);
  test::saveForInspection(outcome, "name-score-sent");
  test::press(game, Key::Enter);
  const sf::Image under = test::capture(game);

  // The shorter panel: 160 high from y = 280.
  EXPECT_TRUE(test::colourNear(outcome, 425, 284, panelOver(under, 425, 284)));
  EXPECT_TRUE(test::colourNear(outcome, 425, 436, panelOver(under, 425, 436)));
  EXPECT_TRUE(
      test::colourNear(outcome, 425, 446, test::blend(under.getPixel({425, 446}), kNameDim)));
  // "Score sendt!" in green at P + 30, the place line in blue at P + 62.
  const probe::Ink title = inkInBand(outcome, under, 310, 26);
  ASSERT_TRUE(title.found);
  EXPECT_TRUE(green(title.brightest));
  EXPECT_NEAR(title.centreX(), 640.f, 6.f);
  const probe::Ink place = inkInBand(outcome, under, 342, 20);
  ASSERT_TRUE(place.found);
  EXPECT_GT(place.brightest.b, place.brightest.r + 80);
  EXPECT_NEAR(place.centreX(), 640.f, 6.f);
  // The faint "ENTER / SPACE for å fortsette" at P + 100.
  EXPECT_TRUE(inkInBand(outcome, under, 380, 16, 20).found);
  // No input box in the outcome.
  EXPECT_TRUE(test::colourNear(outcome, 455, 372, panelOver(under, 455, 372)));
}

TEST_F(NameEntry, ScoreIkkeSendtPanel) {
  server.behave("hangup");
  win();
  pastCooldown();
  game.particles.clear();
  test::send(game, {test::textEntered(13)});
  ASSERT_TRUE(awaitOutcome());
  ASSERT_FALSE(game.lastResult.ok);
  const sf::Image outcome = test::capture(game);
  test::saveForInspection(outcome, "name-score-not-sent");
  test::press(game, Key::Space);
  const sf::Image under = test::capture(game);

  EXPECT_TRUE(test::colourNear(outcome, 855, 284, panelOver(under, 855, 284)));
  const probe::Ink title = inkInBand(outcome, under, 310, 24);
  ASSERT_TRUE(title.found);
  EXPECT_TRUE(amber(title.brightest));
  EXPECT_NEAR(title.centreX(), 640.f, 6.f);
  // "(ingen internettforbindelse?)" in faint snow white, not blue.
  const probe::Ink reason = inkInBand(outcome, under, 342, 16, 30);
  ASSERT_TRUE(reason.found);
  EXPECT_LT(reason.brightest.b, reason.brightest.r + 60);
  EXPECT_TRUE(inkInBand(outcome, under, 380, 16, 20).found);
}

TEST(NameEntryOverlay, WithoutFontsOnlyTheShapes) {
  Game game(probe::missingFonts());
  ASSERT_FALSE(game.fontsLoaded);
  test::press(game, Key::Num1);
  probe::play(game, probe::kLevelOneSolution);
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_TRUE(game.nameEntryActive);
  test::advance(game, 0.05f, 7);
  game.particles.clear();
  test::type(game, "Ola");
  const sf::Image prompt = test::capture(game);
  test::saveForInspection(prompt, "name-prompt-no-fonts");
  test::press(game, Key::Escape);
  const sf::Image under = test::capture(game);

  EXPECT_TRUE(
      test::colourNear(prompt, 100, 100, test::blend(under.getPixel({100, 100}), kNameDim)));
  EXPECT_TRUE(test::colourNear(prompt, 425, 265, panelOver(under, 425, 265)));
  const sf::Color box = test::blend(panelOver(under, 455, 335), kInputBox);
  EXPECT_TRUE(test::colourNear(prompt, 455, 335, box));
  // No text anywhere on the panel: the heading and the name rows are plain.
  EXPECT_FALSE(inkInBand(prompt, under, 270, 50, 20).found);
  EXPECT_FALSE(probe::findInk(prompt, {{452, 340}, {376, 32}}, box, 20).found);
}
