#pragma once

#include <optional>
#include <vector>

#include "puzzle/Maze.h"
#include "puzzle/Slide.h"

// The fewest slides that bring the figure from a cell to rest on the goal,
// the bottom-right cell, as the directions to press in order; empty when the
// figure already rests there, none when no sequence of slides reaches it.
std::optional<std::vector<MazeStep>> solveBoard(const Board& board, int rows, int columns,
                                                GridCell from = {});
