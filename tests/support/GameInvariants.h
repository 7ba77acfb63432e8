#pragma once

// The rules the game's state keeps after every event and every frame, whatever
// the player presses: checked by the fuzz target of the event handler and by
// the autoplay soak. Each check returns an empty text when everything holds,
// else a description of the first rule broken.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/Game.h"

namespace invariants {

inline std::string describe(const char* rule, long long value) {
  return std::string(rule) + " (value " + std::to_string(value) + ")";
}

inline bool insideBoard(const Game& game, std::int32_t row, std::int32_t column) {
  return row >= 0 && row < game.rows && column >= 0 && column < game.columns;
}

// Rules that hold in every state.
inline std::string check(const Game& game) {
  const auto rawState = static_cast<std::int32_t>(game.state);
  if (rawState < 0 || rawState > 3) return describe("state is none of the four", rawState);

  const auto items = static_cast<std::int32_t>(game.menuItems.size());
  switch (game.state) {
    case GameState::Menu:
      if (game.menuSelection < 0 || game.menuSelection >= kLevelCount) {
        return describe("title selection outside the level list", game.menuSelection);
      }
      break;
    case GameState::Paused:
    case GameState::Won:
      if (game.menuSelection < 0 || game.menuSelection >= items) {
        return describe("menu selection outside the menu", game.menuSelection);
      }
      break;
    case GameState::Playing:
      // Not used while playing: 0 after a level start, or the item that was
      // highlighted when the pause menu was left.
      if (game.menuSelection != 0 && (game.menuSelection < 0 || game.menuSelection >= items)) {
        return describe("stale selection outside the last menu", game.menuSelection);
      }
      break;
  }

  if (game.playerName.size() > kLongestName) {
    return describe("name longer than 16 bytes", static_cast<long long>(game.playerName.size()));
  }
  for (const char c : game.playerName) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32 || code > 126) return describe("name byte outside 32 ... 126", code);
  }

  if (game.trail.size() > kTrailLength) {
    return describe("trail longer than 24 cells", static_cast<long long>(game.trail.size()));
  }

  if (game.state == GameState::Menu && game.rows == 0) {
    return {};  // no level has been started yet: there is no board
  }
  if (game.levelIndex < 0 || game.levelIndex >= kLevelCount) {
    return describe("level index outside the table", game.levelIndex);
  }
  const LevelInfo& level = kLevels[static_cast<std::size_t>(game.levelIndex)];
  if (game.rows != level.rows || game.columns != level.columns) {
    return describe("board size differs from the level's", game.rows * 1000LL + game.columns);
  }
  if (game.board.size() != static_cast<std::size_t>(game.rows)) {
    return describe("board rows differ from the level's",
                    static_cast<long long>(game.board.size()));
  }
  for (const auto& row : game.board) {
    if (row.size() != static_cast<std::size_t>(game.columns)) {
      return describe("a board row has the wrong length", static_cast<long long>(row.size()));
    }
  }
  if (!insideBoard(game, game.playerRow, game.playerCol)) {
    return describe("figure outside the board", game.playerRow * 1000LL + game.playerCol);
  }
  if (game.sliding && !insideBoard(game, game.targetRow, game.targetCol)) {
    return describe("slide ends outside the board", game.targetRow * 1000LL + game.targetCol);
  }
  for (const GridCell& cell : game.trail) {
    if (!insideBoard(game, cell.row, cell.column)) {
      return describe("trail cell outside the board", cell.row * 1000LL + cell.column);
    }
  }
  if (game.moves < 0) return describe("negative move count", game.moves);
  if (!std::isfinite(game.elapsedTime) || game.elapsedTime < 0.f) {
    return describe("play time negative or not finite", static_cast<long long>(game.elapsedTime));
  }
  if (game.state == GameState::Won &&
      (game.playerRow != game.rows - 1 || game.playerCol != game.columns - 1)) {
    return describe("won without standing on the goal", game.playerRow * 1000LL + game.playerCol);
  }
  return {};
}

// The move count never goes down within a level: it may drop only through a
// fresh start of a level, which leaves the figure on the start cell with no
// moves, no trail and the clock at 0. Call right after every event and every
// frame; lastMoves carries the count from one call to the next.
inline std::string checkMoves(const Game& game, std::int32_t& lastMoves) {
  const std::int32_t before = lastMoves;
  lastMoves = game.moves;
  if (game.moves >= before) return {};
  const bool freshStart = game.state == GameState::Playing && game.moves == 0 &&
                          game.elapsedTime == 0.f && game.playerRow == 0 && game.playerCol == 0 &&
                          game.trail.empty() && !game.sliding;
  if (!freshStart) {
    return describe("move count went down within a level", before * 1000LL + game.moves);
  }
  return {};
}

}  // namespace invariants
