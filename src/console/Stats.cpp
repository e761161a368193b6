#include "console/Stats.hpp"

#include "console/Ask.hpp"
#include "console/Console.hpp"
#include "state/GameState.hpp"

#include <ostream>

namespace zandrel {

int loseStat(std::string_view name, int current, int amount) {
    if (current - amount < 0 && name != "Life") {
        out() << "You lose " << current << " " << name << ".\n";
        return 0;
    }
    out() << "You lose " << amount << " " << name << ".\n";
    return current - amount;
}

int gainStat(std::string_view name, int current, int amount) {
    out() << "You gain " << amount << " " << name << ".\n";
    return current + amount;
}

void gain(const Attribute& attribute, int amount) {
    game.*attribute.field = gainStat(attribute.name, game.*attribute.field, amount);
}

void lose(const Attribute& attribute, int amount) {
    game.*attribute.field = loseStat(attribute.name, game.*attribute.field, amount);
}

void gainChosenPoint(std::string_view strengthQuestion, std::string_view craftQuestion) {
    if (answeredYes(strengthQuestion)) {
        gain(strengthStat, 1);
    } else if (answeredYes(craftQuestion)) {
        gain(craftStat, 1);
    } else {
        gain(lifeStat, 1);
    }
}

void awardScroll(std::string_view spell) {
    out() << "You found a " << spell << " scroll!\n";
    if (spell == "Escape") {
        ++game.escapeScrolls;
    } else if (spell == "Berserk") {
        ++game.berserkScrolls;
    } else if (spell == "Heal") {
        ++game.healScrolls;
    } else {
        out() << "ERROR!  INVALID SPELL NAME CALLED " << spell << "\n";
    }
}

} // namespace zandrel
