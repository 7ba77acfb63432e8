#include "app/Game.h"

#include <cstdint>
#include <ctime>

#include "WindowIcon.h"  // made by CMake from assets/icon/
#include "fx/GameRandom.h"
#include "online/ScoreClient.h"
#include "render/Look.h"

namespace {

// Only the first window asks for antialiasing; the full-screen toggle
// re-creates the window with default settings.
sf::ContextSettings firstWindowSettings() {
  sf::ContextSettings settings;
  settings.depthBits = 0;
  settings.stencilBits = 0;
  settings.antiAliasingLevel = 4;
  settings.majorVersion = 1;
  settings.minorVersion = 1;
  return settings;
}

sf::VideoMode windowedMode() { return sf::VideoMode({kWindowWidth, kWindowHeight}, 32); }

// The title bar's, the taskbar's and Alt-Tab's icon (X's _NET_WM_ICON); a
// window made again has none.
void setWindowIcon(sf::Window& window) {
  window.setIcon({kWindowIconSize, kWindowIconSize}, kWindowIconPixels.data());
}

}  // namespace

Game::Game(const FontPaths& fonts)
    : window(windowedMode(), kWindowTitle, sf::Style::Default, sf::State::Windowed,
             firstWindowSettings()) {
  setWindowIcon(window);
  // The sound bank is already built: its noise came from the unseeded
  // generator, so the move sounds are the same on every run.
  window.setFramerateLimit(kFrameRateLimit);
  gameSrand(static_cast<std::uint32_t>(std::time(nullptr)));
  loadFonts(fonts);
  hud = std::make_unique<Hud>(Hud{.monoFont = &monoFont, .displayFont = &displayFont});
  initScoreClient();
  prepareBackground();
}

Game::~Game() = default;

void Game::loadFonts(const FontPaths& fonts) {
  // A damaged file can open and still have no outlines (a cut download does):
  // every text in its face would then be invisible, so a face that cannot
  // draw "A" at the smallest and the largest size the game uses (the status
  // bar's labels, the title) counts as a failed choice.
  const auto opens = [](sf::Font& font, const std::string& path) {
    if (!font.openFromFile(path)) {
      return false;
    }
    for (const unsigned size : {10u, 96u}) {
      const sf::FloatRect outline = font.getGlyph(U'A', size, false).bounds;
      if (outline.size.x <= 0.f || outline.size.y <= 0.f) {
        return false;
      }
    }
    return true;
  };
  // Only the game's own face is looked for first; the system fallbacks are
  // simply tried.
  const auto loadChain = [&opens](sf::Font& font, const std::array<std::string, 3>& chain) {
    if (fileExists(chain[0]) && opens(font, chain[0])) {
      return true;
    }
    return opens(font, chain[1]) || opens(font, chain[2]);
  };
  fontsLoaded = true;
  if (!loadChain(monoFont, fonts.mono)) {
    fontsLoaded = false;
  }
  if (!loadChain(displayFont, fonts.display)) {
    fontsLoaded = false;
  }
}

// The backdrop is drawn once into a picture that every frame copies. Without
// it the frames show the plain clear colour.
void Game::prepareBackground() {
  if (!background.resize({kWindowWidth, kWindowHeight})) {
    return;
  }
  background.clear(look::kNight);
  // Rows from the top, then columns from the left.
  sf::RectangleShape line;
  line.setFillColor(look::kGrid);
  line.setSize({static_cast<float>(kWindowWidth), 1.f});
  for (unsigned y = 0; y < kWindowHeight; y += look::kGridStep) {
    line.setPosition({0.f, static_cast<float>(y)});
    background.draw(line);
  }
  line.setSize({1.f, static_cast<float>(kWindowHeight)});
  for (unsigned x = 0; x < kWindowWidth; x += look::kGridStep) {
    line.setPosition({static_cast<float>(x), 0.f});
    background.draw(line);
  }
  background.display();
  backgroundReady = true;
}

void Game::toggleFullscreen() {
  // The direction comes from a remembered flag, not from the width: on a
  // display narrower than 1920 pixels the full-screen window is narrower too.
  if (!fullscreen) {
    const std::vector<sf::VideoMode>& modes = sf::VideoMode::getFullscreenModes();
    if (modes.empty()) {
      return;
    }
    window.create(modes.front(), kWindowTitle, sf::State::Fullscreen);
    fullscreen = true;
  } else {
    window.create(windowedMode(), kWindowTitle, sf::Style::Default, sf::State::Windowed);
    fullscreen = false;
  }
  setWindowIcon(window);
  window.setFramerateLimit(kFrameRateLimit);
}

void Game::handleEvents() {
  collectScoreResult();
  drainEvents([this] { return window.pollEvent(); });
}

void Game::drainEvents(const std::function<std::optional<sf::Event>()>& nextEvent) {
  while (const std::optional<sf::Event> event = nextEvent()) {
    if (!handleEvent(*event)) {
      return;
    }
  }
}
