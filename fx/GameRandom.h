#pragma once

#include <cstdint>

// The effects' random numbers: a 15-bit linear congruential generator that
// gives the same sequence on every platform (state x 214013 + 2531011,
// result bits 16-30, first state 1), so sparks, confetti and the move
// sounds look and sound alike everywhere.
inline constexpr int kGameRandMax = 32767;

void gameSrand(std::uint32_t seed);
int gameRand();

// One draw scaled to 0 ... 1 in single precision: gameRand() / 32767.
float randUnit();
