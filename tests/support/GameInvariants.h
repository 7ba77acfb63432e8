#pragma once

// The rules the game's state keeps after every event and every frame, whatever
// the player presses: checked by the fuzz target of the event handler.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "app/Game.h"

namespace invariants {

// The first rule broken, or an empty text. The move count never goes down
// within a level: it may drop only through a fresh start of a level, which
// leaves the figure on the start cell with no moves, no trail and the clock
// at 0. Call right after every event and every frame; lastMoves carries the
// count from one call to the next.
inline std::string check(const Game& game, std::int32_t& lastMoves) {
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
  if (game.state == GameState::Menu && game.rows == 0) return {};  // no board yet
  if (game.levelIndex < 0 || game.levelIndex >= kLevelCount) return "level index outside the table";
  const LevelInfo& level = kLevels[static_cast<std::size_t>(game.levelIndex)];
  const auto rowFits = [&](const auto& row) { return std::ssize(row) == level.columns; };
  if (game.rows != level.rows || game.columns != level.columns ||
      std::ssize(game.board) != level.rows || !std::ranges::all_of(game.board, rowFits)) {
    return "board size differs from the level's";
  }
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

}  // namespace invariants
