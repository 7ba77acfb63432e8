#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/Game.h"
#include "fx/GameRandom.h"
#include "support/TestSupport.h"

using Key = sf::Keyboard::Key;

namespace {

constexpr float kFrame = 1.f / 60.f;

// A move, then the frames for its 0.13-second slide to end.
void slide(Game& game, Key key) {
  test::press(game, key);
  test::advance(game, kFrame, 8);
}

// Level 1 is solved by right, down, left, down, right.
void winLevelOne(Game& game) {
  for (const Key key : {Key::Right, Key::Down, Key::Left, Key::Down, Key::Right}) {
    slide(game, key);
  }
}

bool sameRgb(sf::Color a, sf::Color b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

float distance(sf::Vector2f a, sf::Vector2f b) { return std::hypot(a.x - b.x, a.y - b.y); }

sf::Vector2f cellCentre(const Game& game, int row, int column) {
  return {game.boardOffset.x + static_cast<float>(column) * game.tileSize + game.tileSize / 2.f,
          game.boardOffset.y + static_cast<float>(row) * game.tileSize + game.tileSize / 2.f};
}

sf::Color withAlpha(sf::Color colour, float alpha) {
  colour.a = effectAlpha(alpha);
  return colour;
}

// A frame drawn with some of the effects left out; the effects are restored.
sf::Image captureWithout(Game& game, bool sparks, bool cracks) {
  const ImpactEffects saved = game.effects;
  if (sparks) game.effects.sparks.clear();
  if (cracks) game.effects.cracks.clear();
  sf::Image image = test::capture(game);
  game.effects = saved;
  return image;
}

bool insideParticle(const Particle& p, sf::Vector2f point, float margin) {
  const float angle = p.rotation * 3.14159265f / 180.f;
  const float dx = point.x - p.x;
  const float dy = point.y - p.y;
  const float along = dx * std::cos(angle) + dy * std::sin(angle);
  const float across = -dx * std::sin(angle) + dy * std::cos(angle);
  return std::abs(along) <= p.width / 2.f + margin && std::abs(across) <= p.height / 2.f + margin;
}

// Confetti rectangles that lie on top at their own centre, inside `area`,
// still fully opaque; returns how many showed their own colour there.
int opaqueConfettiOnTop(const Game& game, const sf::Image& image, sf::FloatRect area,
                        int& checked) {
  int shown = 0;
  checked = 0;
  const auto& all = game.particles;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Particle& p = all[i];
    const sf::Vector2f pixel{std::floor(p.x), std::floor(p.y)};
    if (!area.contains(pixel) || p.alpha < 255.f) continue;
    const sf::Vector2f pixelCentre = pixel + sf::Vector2f{0.5f, 0.5f};
    const bool covered =
        std::any_of(all.begin() + static_cast<std::ptrdiff_t>(i) + 1, all.end(),
                    [&](const Particle& q) { return insideParticle(q, pixelCentre, 1.5f); });
    if (covered) continue;
    ++checked;
    if (test::colourNear(image, static_cast<unsigned>(pixel.x), static_cast<unsigned>(pixel.y),
                         p.colour)) {
      ++shown;
    }
  }
  return shown;
}

}  // namespace

TEST(MoveSound, VoicesRotateThroughTheKeyHandler) {
  Game game;
  test::press(game, Key::Num1);
  ASSERT_EQ(game.state, GameState::Playing);

  test::press(game, Key::Up);  // blocked by the top edge: no move, no sound
  EXPECT_EQ(game.moves, 0);
  EXPECT_EQ(game.soundBank.nextVoice, 0);

  std::vector<int> used;
  for (const Key key : {Key::Right, Key::Down, Key::Left, Key::Down, Key::Right}) {
    used.push_back(game.soundBank.nextVoice);
    slide(game, key);
    if (used.size() == 1) {
      // Three cells: strength 0.84, so pitch 1.102 and volume 50.4.
      EXPECT_NEAR(game.soundBank.voices[0]->getPitch(), 1.102f, 1e-4f);
      EXPECT_NEAR(game.soundBank.voices[0]->getVolume(), 50.4f, 1e-3f);
    }
  }
  EXPECT_EQ(used, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(game.soundBank.nextVoice, 1);
  ASSERT_EQ(game.state, GameState::Won);

  test::press(game, Key::M);  // M acts only while playing
  EXPECT_TRUE(game.soundBank.enabled);
}

TEST(MoveSound, MKeySilencesMovesAndKeepsTheRotation) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::M);
  EXPECT_FALSE(game.soundBank.enabled);

  slide(game, Key::Right);
  EXPECT_EQ(game.moves, 1);
  EXPECT_EQ(game.soundBank.nextVoice, 0);
  EXPECT_EQ(game.soundBank.voices[0]->getPitch(), 1.f) << "a silent move touches no voice";
  EXPECT_FLOAT_EQ(game.soundBank.voices[0]->getVolume(), 60.f);
  EXPECT_FALSE(game.effects.sparks.empty()) << "silent moves still throw sparks";
  EXPECT_EQ(game.effects.cracks.size(), 1u);

  test::press(game, Key::M);
  EXPECT_TRUE(game.soundBank.enabled);
  slide(game, Key::Down);
  EXPECT_EQ(game.soundBank.nextVoice, 1);
  EXPECT_NE(game.soundBank.voices[0]->getPitch(), 1.f);

  // Starting the level again keeps both the switch and the rotation.
  test::press(game, Key::M);
  test::press(game, Key::R);
  EXPECT_FALSE(game.soundBank.enabled);
  EXPECT_EQ(game.soundBank.nextVoice, 1);
}

TEST(MoveEffects, SparksThenCrackAtTheEndCell) {
  Game game;
  test::press(game, Key::Num1);
  gameSrand(31337);  // a known burst instead of the clock's
  std::vector<int> raw(1 + 9 * 60 + 2);
  for (int& v : raw) v = gameRand();
  gameSrand(31337);

  test::press(game, Key::Right);  // three cells to (row 0, column 3)
  const std::size_t count = game.effects.sparks.size();
  ASSERT_GE(count, 28u);  // strength 1.3
  ASSERT_LE(count, 52u);
  const sf::Vector2f end = cellCentre(game, 0, 3);
  for (const Spark& s : game.effects.sparks) {
    EXPECT_LE(std::abs(s.position.x - end.x), 0.15f * game.tileSize);
    EXPECT_LE(std::abs(s.position.y - end.y), 0.15f * game.tileSize);
  }
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  const CrackMark& crack = game.effects.cracks[0];
  EXPECT_EQ(crack.row, 0);
  EXPECT_EQ(crack.column, 3);
  EXPECT_EQ(crack.alpha, 230.f);
  const std::size_t countDraw = 1 + 9 * count;  // after the sparks' draws
  EXPECT_EQ(crack.strips.size(),
            static_cast<std::size_t>(
                6 + static_cast<int>(static_cast<float>(raw[countDraw]) / 32767.f * 3.f)));
}

TEST(MoveEffects, CrackLivesFortySixPlayingFramesAndFreezesWhilePausedOrWon) {
  Game game;
  test::press(game, Key::Num1);
  test::press(game, Key::Right);
  test::advance(game, kFrame, 45);
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.effects.cracks[0].alpha, 5.f);

  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Paused);
  const ImpactEffects before = game.effects;
  test::advance(game, kFrame, 30);
  ASSERT_EQ(game.effects.cracks.size(), 1u);
  EXPECT_EQ(game.effects.cracks[0].alpha, 5.f);
  ASSERT_EQ(game.effects.sparks.size(), before.sparks.size());
  for (std::size_t i = 0; i < before.sparks.size(); ++i) {
    EXPECT_EQ(game.effects.sparks[i].position, before.sparks[i].position);
    EXPECT_EQ(game.effects.sparks[i].alpha, before.sparks[i].alpha);
  }

  test::press(game, Key::Escape);
  ASSERT_EQ(game.state, GameState::Playing);
  test::advance(game, kFrame);
  EXPECT_TRUE(game.effects.cracks.empty());

  // The winning move's crack stays as it was on the win screen.
  for (const Key key : {Key::Down, Key::Left, Key::Down, Key::Right}) {
    slide(game, key);
  }
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_FALSE(game.effects.cracks.empty());
  const float frozen = game.effects.cracks.back().alpha;
  const std::size_t sparks = game.effects.sparks.size();
  test::advance(game, kFrame, 60);
  EXPECT_EQ(game.effects.cracks.back().alpha, frozen);
  EXPECT_EQ(game.effects.sparks.size(), sparks);
}

TEST(Confetti, WinThrowsItAndASecondBurstReplacesIt) {
  Game game;
  test::press(game, Key::Num1);
  winLevelOne(game);
  ASSERT_EQ(game.state, GameState::Won);
  ASSERT_EQ(game.particles.size(), 160u);
  for (const Particle& p : game.particles) {
    EXPECT_GE(p.x, 0.f);
    EXPECT_LE(p.x, 1280.f);
    EXPECT_LE(p.y, -20.f);
    EXPECT_GE(p.y, -220.f);
  }
  test::advance(game, kFrame, 10);
  EXPECT_EQ(game.particles.size(), 160u);
  EXPECT_GT(game.particles[0].y, -220.f + 10 * 2.5f - 1.f);

  game.spawnConfetti();
  ASSERT_EQ(game.particles.size(), 160u);
  EXPECT_TRUE(std::all_of(game.particles.begin(), game.particles.end(),
                          [](const Particle& p) { return p.y <= -20.f; }));
}

TEST(EffectScreens, CrackAndSparksOnTheBoardUnderWallsAndFigure) {
  Game game;
  test::press(game, Key::Num1);
  gameSrand(2024);
  slide(game, Key::Right);
  slide(game, Key::Down);  // the figure leaves the first crack behind
  ASSERT_FALSE(game.sliding);
  ASSERT_EQ(game.effects.cracks.size(), 2u);

  const sf::Image full = test::capture(game);
  const sf::Image noSparks = captureWithout(game, true, false);
  const sf::Image bare = captureWithout(game, true, true);
  test::saveForInspection(full, "effects-on-board");

  const float t = game.tileSize;
  const sf::Vector2f figure = game.playerPosition();
  const auto nearSpark = [&](sf::Vector2f p, float margin) {
    return std::any_of(game.effects.sparks.begin(), game.effects.sparks.end(),
                       [&](const Spark& s) { return distance(s.position, p) < s.radius + margin; });
  };

  // Crack lines: the inner joints of each arm, away from sparks and figure.
  int crackProbes = 0;
  for (const CrackMark& crack : game.effects.cracks) {
    const sf::Vector2f centre = cellCentre(game, crack.row, crack.column);
    const sf::Color colour = withAlpha({168, 216, 248}, crack.alpha);
    for (const CrackStrip& strip : crack.strips) {
      for (std::size_t k = 1; k < strip.size(); ++k) {
        const sf::Vector2f p{centre.x + t * strip[k].x, centre.y + t * strip[k].y};
        if (std::hypot(strip[k].x, strip[k].y) > 0.45f || distance(p, figure) < 34.f ||
            nearSpark(p, 3.f)) {
          continue;
        }
        ++crackProbes;
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy) {
          for (int dx = -1; dx <= 1 && !found; ++dx) {
            const auto x = static_cast<unsigned>(std::lround(p.x) + dx);
            const auto y = static_cast<unsigned>(std::lround(p.y) + dy);
            const sf::Color under = bare.getPixel({x, y});
            found = !sameRgb(full.getPixel({x, y}), under) &&
                    test::colourNear(full, x, y, test::blend(under, colour));
          }
        }
        EXPECT_TRUE(found) << "no crack line near (" << p.x << ", " << p.y << ")";
      }
    }
  }
  EXPECT_GE(crackProbes, 3);

  // Sparks over the board: each lone spark's centre shows its colour blended
  // over whatever lies beneath (board, trail or crack).
  const sf::FloatRect boardArea{
      game.boardOffset, {static_cast<float>(game.columns) * t, static_cast<float>(game.rows) * t}};
  int sparkProbes = 0;
  for (std::size_t i = 0; i < game.effects.sparks.size(); ++i) {
    const Spark& s = game.effects.sparks[i];
    const sf::Vector2f pixel{std::floor(s.position.x), std::floor(s.position.y)};
    const float offX = std::fmod(pixel.x - game.boardOffset.x, t);
    const float offY = std::fmod(pixel.y - game.boardOffset.y, t);
    const bool alone =
        std::none_of(game.effects.sparks.begin(), game.effects.sparks.end(), [&](const Spark& o) {
          return &o != &s && distance(o.position, s.position) < o.radius + 2.f;
        });
    if (s.radius < 1.5f || effectAlpha(s.alpha) == 0 || !boardArea.contains(pixel) || !alone ||
        offX < 2.f || offX > t - 2.f || offY < 2.f || offY > t - 2.f ||
        distance(s.position, figure) < 34.f) {
      continue;
    }
    ++sparkProbes;
    const auto x = static_cast<unsigned>(pixel.x);
    const auto y = static_cast<unsigned>(pixel.y);
    EXPECT_TRUE(test::colourNear(
        full, x, y, test::blend(noSparks.getPixel({x, y}), withAlpha(s.colour, s.alpha))))
        << "spark " << i;
  }
  EXPECT_GE(sparkProbes, 3);

  // Walls and the figure's body hide whatever sparks lie beneath them.
  const sf::Color wall{26, 58, 92};
  const sf::Color body{55, 138, 221};
  const float r = t * 0.28f;
  int hidden = 0;
  for (unsigned y = 0; y < full.getSize().y; ++y) {
    for (unsigned x = 0; x < full.getSize().x; ++x) {
      const sf::Vector2f p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
      if (!nearSpark(p, -1.f)) continue;
      const sf::Color under = bare.getPixel({x, y});
      const float fromFigure = distance(p, figure);
      const bool onBody = fromFigure > 0.5f * r && fromFigure < 0.9f * r;
      if (sameRgb(under, wall) || (onBody && sameRgb(under, body))) {
        ++hidden;
        EXPECT_TRUE(test::colourNear(full, x, y, under)) << "(" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_GE(hidden, 1);
}

TEST(EffectScreens, ConfettiOverTheWinPanelAndTheTitle) {
  Game game;
  test::press(game, Key::Num1);
  winLevelOne(game);
  ASSERT_EQ(game.state, GameState::Won);
  test::advance(game, kFrame, 50);

  const sf::Image won = test::capture(game);
  test::saveForInspection(won, "confetti-over-win-panel");
  const sf::FloatRect panel{{640.f - 250.f, 360.f - 180.f}, {500.f, 360.f}};
  int checked = 0;
  const int shown = opaqueConfettiOnTop(game, won, panel, checked);
  EXPECT_GE(checked, 5);
  EXPECT_EQ(shown, checked);

  // Leaving for the title: the confetti keeps falling over the title screen.
  test::press(game, Key::Escape);  // close the name entry
  test::press(game, Key::Down);
  test::press(game, Key::Down);
  ASSERT_EQ(game.menuItems.at(static_cast<std::size_t>(game.menuSelection)).label,
            sf::String(L"VELG NIVÅ"));
  test::press(game, Key::Enter);
  ASSERT_EQ(game.state, GameState::Menu);
  ASSERT_FALSE(game.particles.empty());
  const float lowest = game.particles[0].y;
  test::advance(game, kFrame, 5);
  EXPECT_GT(game.particles[0].y, lowest);

  const sf::Image title = test::capture(game);
  test::saveForInspection(title, "confetti-over-title");
  const int shownOnTitle = opaqueConfettiOnTop(game, title, {{0.f, 0.f}, {1280.f, 720.f}}, checked);
  EXPECT_GE(checked, 5);
  EXPECT_EQ(shownOnTitle, checked);
}
