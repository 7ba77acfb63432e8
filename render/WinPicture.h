#pragma once

// The win screen stands still but for the part the keys change and the
// confetti, yet it lays one or two translucent veils over the whole window,
// which a software renderer pays for in every frame. So the frame that draws
// it keeps a copy of the window as it stands under that top layer (the menu
// in use, or the typed name line of the name entry), read back from the
// window itself, and the following frames draw that copy as one opaque
// sprite instead, then the top layer and the confetti over it, for as long as
// everything the copy shows is unchanged.
//
// What the copy shows is written down as a WinPictureKey: every input of the
// drawing under the top layer, compared in full in each frame. Anything that
// changes it (the name entry closing, a score's outcome arriving, a resize)
// makes that frame draw the screen afresh and keep a new copy.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Angle.hpp>
#include <SFML/System/String.hpp>
#include <SFML/System/Vector2.hpp>

#include "fx/Effects.h"
#include "online/BestRecord.h"
#include "puzzle/Levels.h"
#include "puzzle/Maze.h"
#include "puzzle/Slide.h"
#include "render/Hud.h"

struct Game;

// Everything the win screen draws under its top layer depends on.
struct WinPictureKey {
  // The window: its size lays the screens out, its view places them.
  sf::Vector2u windowSize;
  sf::Vector2f viewCentre;
  sf::Vector2f viewSize;
  sf::Angle viewRotation;
  sf::FloatRect viewport;
  sf::FloatRect scissor;

  // The backdrop and the faces the texts are set in.
  bool backgroundReady = false;
  bool fontsLoaded = false;
  std::uint64_t monoFace = 0;
  std::uint64_t displayFace = 0;

  // The status bar, the board and the figure, as the win froze them.
  Hud hud;
  std::int32_t levelIndex = 0;
  Board board;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  float tileSize = 0.f;
  sf::Vector2f boardOffset;
  std::vector<GridCell> trail;
  ImpactEffects effects;
  sf::Vector2f playerPosition;
  float idlePhase = 0.f;
  bool sliding = false;
  float slideProgress = 0.f;

  // The win panel; its menu only while a name entry or an outcome lies over
  // it (a menu in use is drawn over the picture).
  float elapsedTime = 0.f;
  std::int32_t moves = 0;
  std::array<BestRecord, kLevelCount> bestRecords{};
  std::vector<sf::String> menuLabels;
  std::vector<bool> menuPrimary;
  std::int32_t menuSelection = 0;

  // The name entry's panel, or the outcome of the score sent from it.
  bool nameEntryActive = false;
  bool resultReady = false;
  bool resultOk = false;
  std::int32_t resultPlace = 0;
  std::int32_t resultTotal = 0;

  friend bool operator==(const WinPictureKey&, const WinPictureKey&) = default;
};

// The key of the game as it is now.
WinPictureKey winPictureKey(const Game& game);

struct WinPicture {
  sf::Texture texture;                 // the window's size
  std::optional<WinPictureKey> shows;  // what the texture holds; none: nothing kept
  std::uint64_t made = 0;              // copies kept so far
};
