#include "console/Chance.hpp"

#include "console/Console.hpp"

#include <algorithm>
#include <ostream>

namespace zandrel {
namespace {

int rollDie(const char* roller) {
    const int face = drawChance() % 6 + 1;
    out() << roller << " rolled a " << face << " on one die.\n";
    return face;
}

} // namespace

void seedChance() { seams().seedChance(); }

int drawChance() { return seams().drawChance(); }

bool chancePercent(int percent) {
    const int slots = std::clamp(percent, 0, 100);
    return drawChance() % 100 < slots;
}

int rollPlayerDie() { return rollDie("You"); }

int rollFoeDie() { return rollDie("He"); }

int rollSpaceDie() {
    pauseGame();
    return rollPlayerDie();
}

} // namespace zandrel
