// Fuzz target: a real Game under a virtual X server, fed any sequence of key,
// text, focus, resize and close events through its own event handler,
// with a frame between events. After every event and every frame the rules of
// brokenRule below must hold, whatever the player presses.
//
// Run it from anywhere: it changes to the repository root for the fonts.
// Input format (of the seed corpus too): a sequence of
// operations, each an opcode byte (taken modulo 16) and its argument bytes;
// missing bytes read as 0.
//   0-3, 13, 15  key pressed    key byte (from 192 on: any key code, from one more byte)
//   4        key released       key byte
//   5, 6     text entered       code byte (0-127 as is, else a code from a table)
//   7        frames             1 + byte % 16 frames
//   8        frame time         (1 + byte) / 256 x 0.05 s
//   9        resized            width byte x 8, height byte x 8
//   10, 11   focus lost / gained
//   12       draw the frame
//   14       close, when byte % 16 is 0 (ends the input, as it ends the game);
//            else focus lost

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "app/Game.h"
#include "tools/Autoplay.h"

namespace {

using Key = sf::Keyboard::Key;
using namespace std::chrono_literals;

// The keys the game reacts to, and a few it does not. F11 comes only from the
// range of all key codes (see readKey).
// clang-format off
constexpr std::array kKeys{Key::Up, Key::Down, Key::Left, Key::Right, Key::W, Key::A, Key::S, Key::D,
    Key::Enter, Key::Space, Key::Escape, Key::R, Key::M, Key::Num1, Key::Num2, Key::Num3, Key::Num4,
    Key::Num5, Key::Backspace, Key::Numpad1, Key::Tab, Key::Q, Key::Unknown};
// Text codes past ASCII: controls, Norwegian letters, an emoji, the last code
// point and values that are no code point at all.
constexpr std::array<char32_t, 12> kTextCodes{8, 13, 0, 127, 0xE5, 0xF8, 0xC5, 0x1F600, 0x10FFFF,
    0xD800, 0x110000, 0xFFFFFFFF};
// clang-format on

// The first rule broken, or an empty text. The move count never goes down
// within a level: it may drop only through a fresh start of a level, which
// leaves the figure on the start cell with no moves, no trail and the clock
// at 0. Call right after every event and every frame; lastMoves carries the
// count from one call to the next.
std::string brokenRule(const Game& game, std::int32_t& lastMoves) {
  const std::int32_t movesBefore = std::exchange(lastMoves, game.moves);
  const bool playing = game.state == GameState::Playing;
  // While playing the selection is unused: 0 after a level start, or the
  // item highlighted when the pause menu was left.
  const int listed =
      game.state == GameState::Menu ? kLevelCount : static_cast<int>(game.menuItems.size());
  const auto goodByte = [](char c) { return c >= 32 && c <= 126; };
  if (game.menuSelection < 0 || game.menuSelection >= std::max(listed, playing ? 1 : 0)) {
    return "selection outside its list";
  }
  if (game.playerName.size() > kLongestName) return "name longer than 16 bytes";
  if (!std::ranges::all_of(game.playerName, goodByte)) return "name byte outside 32 ... 126";
  if (game.trail.size() > kTrailLength) return "trail longer than 24 cells";
  const bool freshStart = playing && game.moves == 0 && game.elapsedTime == 0.f &&
                          game.playerRow == 0 && game.playerCol == 0 && game.trail.empty() &&
                          !game.sliding;
  if (game.moves < movesBefore && !freshStart) return "move count went down within a level";
  // (A level index outside the table or a board smaller than its size reads
  // past the end, which AddressSanitizer reports.)
  if (game.state == GameState::Menu && game.rows == 0) return {};  // no board yet
  const auto inside = [&game](GridCell cell) {
    return cell.row >= 0 && cell.row < game.rows && cell.column >= 0 && cell.column < game.columns;
  };
  if (!inside({game.playerRow, game.playerCol}) || !std::ranges::all_of(game.trail, inside) ||
      (game.sliding && !inside({game.targetRow, game.targetCol}))) {
    return "figure, slide or trail outside the board";
  }
  const bool onGoal = GridCell{game.playerRow, game.playerCol} == goalCell(game.rows, game.columns);
  if (game.state == GameState::Won && !onGoal) return "won without standing on the goal";
  return {};
}

struct Harness {
  std::unique_ptr<Game> game;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0, at = 0;
  float dt = kMaxFrameTime;
  std::int32_t lastMoves = 0;
  // F11 re-creates the window twice per input (on and back off for the next),
  // which cuts the pace to a tenth: the short CI runs leave it out, and
  // SNOKRYSTAL_FUZZ_F11=1 (scripts/fuzz --full-screen) lets it in.
  bool fullScreenAllowed = false;

  std::uint8_t next() { return at < size ? data[at++] : 0; }

  Key readKey() {
    const std::uint8_t byte = next();
    if (byte < 192) return kKeys[byte % kKeys.size()];
    const auto key = static_cast<Key>(int(next() % (sf::Keyboard::KeyCount + 1)) - 1);
    return key == Key::F11 && !fullScreenAllowed ? Key::Unknown : key;
  }

  // False once the game is closed.
  bool verify(const char* where) {
    if (const std::string broken = brokenRule(*game, lastMoves); !broken.empty()) {
      static_cast<void>(std::fprintf(stderr, "invariant broken %s: %s\n", where, broken.c_str()));
      std::abort();
    }
    // A submission's worker finishes (its port refuses at once) before the
    // next step, so its result always lands at the same point of the input.
    while (game->submitter.busy.use_count() > 1) std::this_thread::sleep_for(1ms);
    return game->window.isOpen();
  }

  // Passes of the main loop without presenting: the window's own queue and
  // any score result, then the update; what the two leave is checked together.
  bool frames(int count) {
    for (; count > 0; --count) {
      game->handleEvents();
      game->update(dt);
      if (!verify("after a frame")) return false;
    }
    return true;
  }

  sf::Event readEvent(int op) {
    if (op == 4) return sf::Event::KeyReleased{readKey()};
    if (op == 5 || op == 6) {
      const std::uint8_t code = next();
      return sf::Event::TextEntered{code < 128 ? code : kTextCodes[code % kTextCodes.size()]};
    }
    if (op == 9) return sf::Event::Resized{{next() * 8u, next() * 8u}};
    if (op == 11) return sf::Event::FocusGained{};
    // Closing ends the input and the next one opens a new window, as costly
    // as F11: only one argument byte in sixteen closes.
    if (op == 14 && next() % 16 == 0) return sf::Event::Closed{};
    if (op == 10 || op == 14) return sf::Event::FocusLost{};
    return autoplay::keyPress(readKey());
  }

  // One operation, an event followed by a frame; false once the game is closed.
  bool step() {
    const int op = next() % 16;
    if (op == 7) return frames(1 + next() % 16);
    if (op == 8) dt = static_cast<float>(1 + next()) / 256.f * kMaxFrameTime;
    if (op == 12) game->drawFrame();
    if (op == 8 || op == 12) return true;
    autoplay::send(*game, {readEvent(op)});
    return verify("after an event") && frames(1);
  }

  // A fresh title screen for every input; the best times of earlier inputs
  // stay, as they would in one long session, and the name entry's state,
  // which the next win sets afresh. Every input ends with one drawn
  // frame of whatever screen it reached, unless it closed the game.
  void run(const std::uint8_t* input, std::size_t length) {
    // Back in a window, which reopens a closed one; or a new one after a close.
    if (game->fullscreen) game->toggleFullscreen();
    if (!game->window.isOpen())
      game->window.create(sf::VideoMode({kWindowWidth, kWindowHeight}), kWindowTitle);
    game->window.setView(game->window.getDefaultView());
    game->state = GameState::Menu;
    game->menuSelection = 0;
    game->menuItems.clear();
    game->particles.clear();
    std::tie(data, size, at, dt) = std::tuple(input, length, 0, kMaxFrameTime);
    while (at < size && step()) {
    }
    if (game->window.isOpen()) game->drawFrame();
  }
};

Harness harness;  // one game for all inputs: a window and its fonts take long to open

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (chdir(SNOKRYSTAL_SOURCE_DIR) != 0) std::abort();  // the game's fonts are found from there
  // Read once, before any submission thread exists.
  const char* f11 = std::getenv("SNOKRYSTAL_FUZZ_F11");  // NOLINT(concurrency-mt-unsafe)
  harness.fullScreenAllowed = f11 != nullptr && std::string(f11) == "1";
  harness.game = std::make_unique<Game>();
  // Scores go to a port on which nothing listens: every submission fails
  // fast, and its result comes back through the same hand-over as a real one.
  harness.game->submitter.endpoint = ScoreEndpoint{
      .host = "127.0.0.1", .port = 9, .caFile = {}, .connectTimeoutMs = 200, .totalTimeoutMs = 300};
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  harness.run(data, size);
  return 0;
}
