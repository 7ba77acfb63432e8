#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// One row of the level table.
struct LevelInfo {
  std::int32_t number;
  std::int32_t columns;
  std::int32_t rows;
  std::int32_t tileSize;
  std::string_view label;
  std::string_view name;
};

inline constexpr int kLevelCount = 5;
inline constexpr int kLastLevel = kLevelCount - 1;

// Sizes grow by two cells a level while the tiles shrink, so every board
// stays between 576 and 630 pixels wide.
inline constexpr std::array<LevelInfo, kLevelCount> kLevels{{
    {1, 9, 7, 64, "LEVEL 1", "Arktisk inngang"},
    {2, 11, 9, 56, "LEVEL 2", "Frosne korridorer"},
    {3, 13, 11, 48, "LEVEL 3", "Dypfryst"},
    {4, 15, 13, 42, "LEVEL 4", "Nordlys-kavern"},
    {5, 17, 15, 36, "LEVEL 5", "Evig is"},
}};
