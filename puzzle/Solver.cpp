#include "puzzle/Solver.h"

#include <array>
#include <cstddef>
#include <deque>

std::optional<std::vector<MazeStep>> solveBoard(const Board& board, int rows, int columns,
                                                GridCell from) {
  // Breadth first over the cells a slide can come to rest on; each cell
  // remembers the cell and the step it was first reached by.
  struct Reached {
    bool seen = false;
    GridCell before;
    MazeStep step;
  };
  const auto at = [columns](GridCell cell) {
    return static_cast<std::size_t>(cell.row) * static_cast<std::size_t>(columns) +
           static_cast<std::size_t>(cell.column);
  };
  std::vector<Reached> reached(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  const GridCell goal = goalCell(rows, columns);
  constexpr std::array<MazeStep, 4> kSteps{{{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};
  std::deque<GridCell> queue{from};
  reached[at(from)].seen = true;
  while (!queue.empty()) {
    const GridCell here = queue.front();
    queue.pop_front();
    if (here == goal) {
      std::vector<MazeStep> steps;
      for (GridCell cell = goal; cell != from; cell = reached[at(cell)].before) {
        steps.insert(steps.begin(), reached[at(cell)].step);
      }
      return steps;
    }
    for (const MazeStep step : kSteps) {
      const SlideResult slide =
          traceSlide(board, here.row, here.column, step.row, step.column, rows, columns);
      Reached& next = reached[at({slide.endRow, slide.endColumn})];
      if (!next.seen) {
        next = {.seen = true, .before = here, .step = step};
        queue.push_back({slide.endRow, slide.endColumn});
      }
    }
  }
  return std::nullopt;
}
