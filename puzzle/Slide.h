#pragma once

#include <cstdint>
#include <vector>

#include "puzzle/Maze.h"

// A board position as (row, column).
struct GridCell {
  std::int32_t row = 0;
  std::int32_t column = 0;
  friend bool operator==(const GridCell&, const GridCell&) = default;
};

// The goal: the bottom-right cell of a board of that size.
constexpr GridCell goalCell(int rows, int columns) { return {rows - 1, columns - 1}; }

// A cell passed by a slide, as (column, row).
struct PassedCell {
  std::int32_t column = 0;
  std::int32_t row = 0;
  friend bool operator==(const PassedCell&, const PassedCell&) = default;
};

struct SlideResult {
  std::int32_t endRow = 0;
  std::int32_t endColumn = 0;
  std::vector<PassedCell> passed;  // ends with the end cell; empty when blocked
};

// The figure slides until a wall or the edge stops it.
SlideResult traceSlide(const Board& board, int row, int column, int rowStep, int columnStep,
                       int rows, int columns);
