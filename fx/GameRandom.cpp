#include "fx/GameRandom.h"

namespace {

// Used from the main thread only. Starts at 1, as if seeded with 1, so the
// numbers drawn before the clock seed (the move sounds) never change.
std::uint32_t randomState = 1;

}  // namespace

void gameSrand(std::uint32_t seed) { randomState = seed; }

int gameRand() {
  // Unsigned arithmetic wraps modulo 2^32.
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

float randUnit() { return static_cast<float>(gameRand()) / static_cast<float>(kGameRandMax); }
