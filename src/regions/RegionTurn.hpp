#pragma once

#include "state/GameState.hpp"

#include <array>

namespace zandrel {

// One space of a region's board: what is said of it while the player stands there, its line
// on the board, what is said on landing, and what it does.
struct Space {
    const char* description;
    const char* boardLine;
    const char* landingLabel;
    void (*action)();
};

using Board = std::array<Space, 6>;

// The frame every region turn shares: where the player stands, the board with that space
// starred, the space roll, and the space landed on.
void playRegionTurn(const Board& board);

// One entry of the second-roll tables of the Graveyard and the Chapel.
struct Happening {
    const char* menuLine;
    const char* resultLabel;
    void (*effect)();
};

// The Graveyard and the Chapel: a second die picks what happens there.
void rollForHappening(const char* place, const std::array<Happening, 6>& happenings);

// The spaces of two adventure cards, with a pause and a whole turn upkeep between the cards.
void drawTwoCards();

// A guardian of a crossing: fought with one exchange of dice, no pre-battle choice, no
// experience, and not counted among the battles.
struct Guardian {
    const char* question;
    const char* name;
    std::int32_t GameState::*foeValue;
    std::int32_t GameState::*playerValue;
    int power;
    const char* crossing;
    int regionBeyond;
};
void challengeGuardian(const Guardian& guardian);

// The Market and the Black Market: points of Strength, Craft or Life for Gold, until the
// player wants no more.
void runShop(const char* opening, int price);

// A space that sends the player back a region.
void sendBack(const char* message, int region);

} // namespace zandrel
