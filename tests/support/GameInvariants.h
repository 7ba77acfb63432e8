#pragma once

// The rules the game's state keeps after every event and every frame, whatever
// the player presses: checked by the fuzz target of the event handler and by
// the autoplay soak. Each check returns an empty text when everything holds,
// else a description of the first rule broken.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "app/Game.h"

namespace invariants {

inline std::string broken(const char* rule, long long value) {
  return std::string(rule) + " (value " + std::to_string(value) + ")";
}

// Rules that hold in every state.
inline std::string check(const Game& game) {
  const auto state = static_cast<std::int32_t>(game.state);
  const auto items = static_cast<std::int32_t>(game.menuItems.size());
  const std::int32_t selection = game.menuSelection;
  // While playing the selection is unused: 0 after a level start, or the
  // item highlighted when the pause menu was left.
  const bool selectionFits =
      game.state == GameState::Menu
          ? selection >= 0 && selection < kLevelCount
          : selection >= 0 &&
                (selection < items || (game.state == GameState::Playing && selection == 0));
  if (state < 0 || state > 3) return broken("state is none of the four", state);
  if (!selectionFits) return broken("selection outside its list", selection);
  if (game.playerName.size() > kLongestName) {
    return broken("name longer than 16 bytes", static_cast<long long>(game.playerName.size()));
  }
  for (const char c : game.playerName) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32 || code > 126) return broken("name byte outside 32 ... 126", code);
  }
  if (game.trail.size() > kTrailLength) {
    return broken("trail longer than 24 cells", static_cast<long long>(game.trail.size()));
  }
  if (game.state == GameState::Menu && game.rows == 0) {
    return {};  // no level has been started yet: there is no board
  }
  if (game.levelIndex < 0 || game.levelIndex >= kLevelCount) {
    return broken("level index outside the table", game.levelIndex);
  }
  const LevelInfo& level = kLevels[static_cast<std::size_t>(game.levelIndex)];
  bool boardFits = game.rows == level.rows && game.columns == level.columns &&
                   game.board.size() == static_cast<std::size_t>(level.rows);
  for (const auto& row : game.board) {
    boardFits = boardFits && row.size() == static_cast<std::size_t>(level.columns);
  }
  if (!boardFits) return broken("board size differs from the level's", game.levelIndex);
  const auto inside = [&game](std::int32_t row, std::int32_t column) {
    return row >= 0 && row < game.rows && column >= 0 && column < game.columns;
  };
  if (!inside(game.playerRow, game.playerCol) ||
      (game.sliding && !inside(game.targetRow, game.targetCol))) {
    return broken("figure or slide outside the board", game.playerRow * 1000LL + game.playerCol);
  }
  for (const GridCell& cell : game.trail) {
    if (!inside(cell.row, cell.column)) {
      return broken("trail cell outside the board", cell.row * 1000LL + cell.column);
    }
  }
  if (game.moves < 0) return broken("negative move count", game.moves);
  if (!std::isfinite(game.elapsedTime) || game.elapsedTime < 0.f) {
    return broken("play time negative or not finite", static_cast<long long>(game.elapsedTime));
  }
  if (game.state == GameState::Won &&
      (game.playerRow != game.rows - 1 || game.playerCol != game.columns - 1)) {
    return broken("won without standing on the goal", game.playerRow * 1000LL + game.playerCol);
  }
  return {};
}

// The move count never goes down within a level: it may drop only through a
// fresh start of a level, which leaves the figure on the start cell with no
// moves, no trail and the clock at 0. Call right after every event and every
// frame; lastMoves carries the count from one call to the next.
inline std::string checkMoves(const Game& game, std::int32_t& lastMoves) {
  const std::int32_t before = std::exchange(lastMoves, game.moves);
  const bool freshStart = game.state == GameState::Playing && game.moves == 0 &&
                          game.elapsedTime == 0.f && game.playerRow == 0 && game.playerCol == 0 &&
                          game.trail.empty() && !game.sliding;
  if (game.moves >= before || freshStart) return {};
  return broken("move count went down within a level", before * 1000LL + game.moves);
}

}  // namespace invariants
