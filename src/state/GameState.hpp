#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zandrel {

// The one record of a game: the player's attributes, the scrolls, the deeds that earn
// advancement, the next foe, the region and the class. Every part of the game reads and
// writes it directly.
struct GameState {
    std::int32_t lastOutcome = 0;
    std::int32_t strength = 0;
    std::int32_t craft = 0;
    std::int32_t life = 3;
    std::int32_t gold = 0;
    std::int32_t level = 0;
    std::int32_t experience = 0;
    std::int32_t experienceNeeded = 1;
    std::int32_t spaceRoll = 0;
    std::int32_t escapeScrolls = 0;
    std::int32_t berserkScrolls = 0;
    std::int32_t healScrolls = 0;
    std::int32_t merchantDeals = 0;
    std::int32_t stealsMade = 0;
    std::int32_t healCasts = 0;
    std::int32_t berserkCasts = 0;
    std::int32_t spellsCast = 0;
    std::int32_t guardPurse = 3;
    std::int32_t battleCount = 0;
    std::int32_t foeStrength = 0;
    std::int32_t foeCraft = 0;
    std::int32_t region = 1;
    bool berserkActive = false;
    bool isKnight = false;
    bool isOgre = false;
    bool isWizard = false;
    bool isMerchant = false;
    bool isUndead = false;
    bool isPriest = false;
    bool isThief = false;
    char classLetter = ' ';
    std::array<char, 80> choiceLetter = {' '};
    std::string answerText = " ";
    std::string className = " ";
};

// The game in play. One run of the program is one game.
extern GameState game;

// Puts the game back to the values it has before the banner: for tests and the fuzzer,
// which play many games in one process.
void resetGame();

} // namespace zandrel
