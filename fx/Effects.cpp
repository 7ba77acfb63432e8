#include "fx/Effects.h"

std::vector<CrackStrip> makeCrackPattern(int, float) { return {}; }
void ImpactEffects::spawnSparks(sf::Vector2f, float, float) {}
void ImpactEffects::addCrack(int, int) {}
void ImpactEffects::update() {}
void ImpactEffects::clear() {}
std::vector<Particle> makeConfetti(float) { return {}; }
void updateConfetti(std::vector<Particle>&, float, float) {}
std::uint8_t effectAlpha(float) { return 0; }
