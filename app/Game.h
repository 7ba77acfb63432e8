#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <SFML/Graphics.hpp>

#include "app/Menu.h"
#include "app/Platform.h"
#include "fx/Effects.h"
#include "fx/Sound.h"
#include "online/BestRecord.h"
#include "online/ScoreSubmitter.h"
#include "puzzle/Levels.h"
#include "puzzle/Maze.h"
#include "puzzle/Slide.h"
#include "render/Canvas.h"
#include "render/Hud.h"
#include "render/WinPicture.h"

enum class GameState : std::int32_t { Menu = 0, Playing = 1, Paused = 2, Won = 3 };

inline constexpr unsigned kWindowWidth = 1280;
inline constexpr unsigned kWindowHeight = 720;
inline constexpr unsigned kFrameRateLimit = 60;
inline constexpr float kSlideDuration = 0.13f;
inline constexpr std::size_t kTrailLength = 24;
inline constexpr std::size_t kLongestName = 16;
inline constexpr float kNameInputCooldown = 0.3f;
inline constexpr const char* kWindowTitle = "SNOKRYSTAL - Nordlumen Spill";
inline constexpr const char* kGameId = "snokrystal";

// The one application object: it owns the window, the assets and the whole
// state of play. Members are declared in construction order.
struct Game {
  explicit Game(const FontPaths& fonts = defaultFontPaths());
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The frame: main calls these three, in this order.
  void handleEvents();
  void update(float dt);
  void render();  // drawFrame, then present it
  void drawFrame();
  void drawScene(Canvas& canvas) const;  // all but the confetti and the win screen's top layer

  // Drains a queue of events; stops at a close event and leaves the rest.
  void drainEvents(const std::function<std::optional<sf::Event>()>& nextEvent);
  // One event; false when it closed the window and the drain must stop.
  bool handleEvent(const sf::Event& event);

  // Window and assets.
  void loadFonts(const FontPaths& fonts);
  void prepareBackground();
  void toggleFullscreen();

  // Rules of play.
  void startLevel(int index);
  void tryMove(int rowStep, int columnStep);
  void togglePause();
  void triggerWin();
  void submitName();
  void collectScoreResult();
  void spawnConfetti();

  // Drawing: each screen records into a canvas, which the frame sends to the
  // window (render/Frame.cpp). Recording changes nothing of the game.
  void drawTitleScreen(Canvas& canvas) const;
  void drawCheckerTint(Canvas& canvas) const;
  void drawBoardMarkers(Canvas& canvas, int boardColumns, int boardRows, float tile,
                        sf::Vector2f offset) const;
  void drawTrail(Canvas& canvas, const std::vector<GridCell>& cells, float tile,
                 sf::Vector2f offset) const;
  void drawWalls(Canvas& canvas, const Board& cells, int boardColumns, int boardRows, float tile,
                 sf::Vector2f offset) const;
  sf::Vector2f playerPosition() const;
  void drawPlayer(Canvas& canvas, sf::Vector2f position, float tile, float phase, bool isSliding,
                  float progress) const;
  void drawPauseOverlay(Canvas& canvas) const;
  void drawMenu(Canvas& canvas, float top, float centreX, float width) const;
  // The win screen, bottom up: its panel, its menu, the name entry's panel,
  // the typed name line. The keys change only the topmost part in use (the
  // menu, or the name line), which the top layer draws in every frame over
  // the scene, or over the kept picture of it (render/WinPicture.h).
  void drawWinOverlay(Canvas& canvas) const;
  void drawWinMenu(Canvas& canvas) const;
  void drawNameEntryPanel(Canvas& canvas) const;
  void drawNameEntryLine(Canvas& canvas) const;
  bool winMenuInUse() const;  // no name entry and no outcome over it
  void drawWinTopLayer(Canvas& canvas) const;
  void keepWinPicture();
  void drawWinPicture();
  void drawConfetti(Canvas& canvas) const;

  sf::RenderWindow window;
  bool fullscreen = false;
  sf::Font monoFont;
  sf::Font displayFont;
  bool fontsLoaded = false;
  // The frame's two layers, with the texts they keep laid out.
  Canvas sceneLayer;
  Canvas topLayer;
  ImpactEffects effects;
  SoundBank soundBank;
  std::unique_ptr<Hud> hud;
  ScoreSubmitter submitter;

  GameState state = GameState::Menu;
  std::int32_t levelIndex = 0;
  Board board;
  std::int32_t playerCol = 0;
  std::int32_t playerRow = 0;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  float tileSize = 0.f;
  sf::Vector2f boardOffset;
  bool sliding = false;
  sf::Vector2f slideFrom;
  sf::Vector2f slideTo;
  std::int32_t targetCol = 0;
  std::int32_t targetRow = 0;
  float slideProgress = 0.f;
  float slideElapsed = 0.f;
  float idlePhase = 0.f;
  std::int32_t moves = 0;
  float elapsedTime = 0.f;
  bool timerRunning = false;
  std::array<BestRecord, kLevelCount> bestRecords{};
  std::vector<GridCell> trail;  // oldest first, at most 24

  sf::RenderTexture background;
  bool backgroundReady = false;
  WinPicture winPicture;  // the win screen under its top layer, while it stands still

  std::int32_t menuSelection = 0;
  std::vector<MenuItem> menuItems;
  std::string playerName;
  bool nameEntryActive = false;
  float nameInputCooldown = 0.f;
  std::chrono::steady_clock::time_point startedAt = std::chrono::steady_clock::now();
  std::shared_ptr<ScoreInbox> scoreInbox = std::make_shared<ScoreInbox>();
  ScoreResult lastResult;
  bool resultReady = false;
  std::vector<Particle> particles;

  // Every member above that a frame reads and may change, as one value: a
  // scene of the game is a copy of it (PlayState), put back whole with
  // playState() = scene. A member added to the Game belongs in this list
  // unless it is the window or an asset, a cache of what the listed ones
  // draw (the layers' texts, the win picture), or the submission's plumbing.
  auto playState() {
    return std::tie(effects, *hud, state, levelIndex, board, playerCol, playerRow, columns, rows,
                    tileSize, boardOffset, sliding, slideFrom, slideTo, targetCol, targetRow,
                    slideProgress, slideElapsed, idlePhase, moves, elapsedTime, timerRunning,
                    bestRecords, trail, menuSelection, menuItems, playerName, nameEntryActive,
                    nameInputCooldown, lastResult, resultReady, particles);
  }
};

// A copy of Game::playState(): one scene of the game, whole.
using PlayState = decltype(std::apply([](const auto&... member) { return std::tuple(member...); },
                                      std::declval<Game&>().playState()));
