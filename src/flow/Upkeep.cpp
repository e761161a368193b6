#include "flow/Upkeep.hpp"

#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "console/Status.hpp"
#include "state/GameState.hpp"

#include <array>
#include <limits>
#include <ostream>

namespace zandrel {
namespace {

struct Advancement {
    std::int32_t GameState::*counter;
    int threshold;
    bool GameState::*flag;
    const char* announcement;
    const char* adjective;
};

const std::array<Advancement, 5> advancements = {{
    {&GameState::merchantDeals, 10, &GameState::isMerchant,
     "You have improved your skills as a Merchant!\n", "Charasmatic "},
    {&GameState::healCasts, 10, &GameState::isPriest, "You have improved your skills as a Priest!\n",
     "Holy "},
    {&GameState::spellsCast, 50, &GameState::isWizard, "You have improved your skills as a Wizard!\n",
     "Magical "},
    {&GameState::berserkCasts, 10, &GameState::isOgre, "You have improved at Berserk!\n", "Crazy "},
    {&GameState::battleCount, 50, &GameState::isKnight, "You have improved your Knighthood!\n", "Brave "},
}};

[[noreturn]] void gameOver(const char* farewell) {
    out() << farewell;
    pauseGame();
    endProcess(1);
}

void grantAdvancements() {
    for (const Advancement& row : advancements) {
        if (game.*row.counter >= row.threshold && !(game.*row.flag)) {
            earnTitle(row.announcement, row.adjective, row.flag);
        }
    }
}

// The price of the next level doubles with each level; a character who somehow reached the
// thirty-first level would find every later level priced at the most experience a hero can
// hold, rather than at a price that wraps round to nothing.
int nextLevelPrice(int price) {
    constexpr int dearest = std::numeric_limits<int>::max();
    return price > dearest / 2 ? dearest : price * 2;
}

void applyLevelGains() {
    game.strength = gainStat("Strength", game.strength, 1);
    game.craft = gainStat("Craft", game.craft, 1);
    if (game.isKnight && game.level % 2 == 1) {
        game.strength = gainStat("Strength", game.strength, 1);
    }
    if (game.isOgre) {
        awardScroll("Berserk");
    }
    if (game.isWizard) {
        game.craft = gainStat("Craft", game.craft, 1);
    }
    if (game.isMerchant) {
        game.gold = gainStat("Gold", game.gold, game.level);
    }
    if (game.isThief) {
        awardScroll("Escape");
    }
    if (game.isPriest) {
        awardScroll("Heal");
    }
}

void raiseLevels() {
    while (game.experienceNeeded <= game.experience) {
        out() << "\nYou have raised to a higher level of experience!\n";
        ++game.level;
        announceTitle();
        game.experience -= game.experienceNeeded;
        game.experienceNeeded = nextLevelPrice(game.experienceNeeded);
        applyLevelGains();
        out() << "\n";
    }
}

} // namespace

void runUpkeep() {
    if (game.life < 1 && !game.isUndead) {
        gameOver("You have lost all of your lives...\nGAME OVER!\n\n\n\n");
    }
    if (game.life > 0 && game.isUndead) {
        gameOver("You have crossed over to the afterLife...\nGAME OVER!\n\n\n\n");
    }
    grantAdvancements();
    raiseLevels();
    if (game.berserkActive) {
        game.berserkActive = false;
        game.strength = loseStat("Strength", game.strength, 4);
        out() << "Your muscles no longer surge with Strength.\n";
    }
}

} // namespace zandrel
