#include "puzzle/Slide.h"

#include <cstddef>

namespace {

const Cell& cellAt(const Board& board, int row, int column) {
  return board[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace

SlideResult traceSlide(const Board& board, int row, int column, int rowStep, int columnStep,
                       int rows, int columns) {
  SlideResult result{row, column, {}};
  int r = row;
  int c = column;
  if (rowStep == 0 && columnStep == 0) {
    return result;
  }
  for (;;) {
    const int nextRow = r + rowStep;
    if (nextRow < 0 || nextRow >= rows) {
      break;
    }
    const int nextColumn = c + columnStep;
    if (nextColumn < 0 || nextColumn >= columns) {
      break;
    }
    // Bounds are tested first, so the wall flags read below exist.
    if (rowStep == 1 && cellAt(board, r, c).southWall) {
      break;
    }
    if (rowStep == -1 && cellAt(board, r - 1, c).southWall) {
      break;
    }
    if (columnStep == 1 && cellAt(board, r, c).eastWall) {
      break;
    }
    if (columnStep == -1 && cellAt(board, r, c - 1).eastWall) {
      break;
    }
    r = nextRow;
    c = nextColumn;
    result.passed.push_back({c, r});
  }
  result.endRow = r;
  result.endColumn = c;
  return result;
}
