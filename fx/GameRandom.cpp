#include "fx/GameRandom.h"

void gameSrand(std::uint32_t /*seed*/) {}
int gameRand() { return 0; }
float randUnit() { return 0.f; }
