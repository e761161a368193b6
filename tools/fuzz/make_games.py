#!/usr/bin/env python3
"""Writes the recorded games of tests/games: whole games in the fuzz input format, each as a
script of the player's answers and the draws of chance, step by step as the game meets them.

Run it from anywhere; it rewrites tests/games/*.game. Then record their transcripts with
`cmake --build --preset dev --target record-games`, and read what changed in git's diff.

A game is a list of steps; each step gives the answers the player types (`say`) and the raw
draws of chance (`roll` for die faces, `card` for card numbers, `draw` for raw values such as
percent chances), in the order the game takes them. Answers and draws are kept apart in the
input, so only the order within each matters; writing them together keeps a game readable.
"""
from pathlib import Path

from make_corpus import encode


def say(*answers):
    return [("answer", a) for a in answers]


def draw(*values):
    return [("draw", v) for v in values]


def roll(*faces):
    """Die faces. A draw is taken modulo 6, so a face may come from a large draw too."""
    return draw(*(f - 1 for f in faces))


def card(*numbers):
    return draw(*numbers)


def pick(letter):
    """Chooses a class at the menu and confirms it."""
    return say(letter, "y")


def fight(choice, mine, his):
    """A battle: the pre-battle choice, then the player's die and the foe's."""
    return say(choice) + roll(mine, his)


def build(*steps):
    answers = "".join(value + "\n" for step in steps for kind, value in step if kind == "answer")
    draws = [value for step in steps for kind, value in step if kind == "draw"]
    return encode(answers, draws)


# The spaces of each region, by their faces.
PLAINS, FOREST, MOAT, GRAVEYARD, CHAPEL, CASTLE = 1, 2, 3, 4, 5, 6
TOWER, MOUNTAIN, MOAT_BACK, MARKET, BRIDGE, CAVE = 1, 2, 3, 4, 5, 6
SWAMP, PALACE, CITADEL, BLACK_MARKET, BRIDGE_BACK, DUNGEON = 1, 2, 3, 4, 5, 6

GAMES = {}

# A Knight tries every guardian: declines, loses, draws and wins against each, is sent back
# from the middle and the inner region, and claims the crown.
GAMES["knight_meets_every_guardian"] = build(
    pick("k"),
    roll(PLAINS), card(9),                       # a lesson: the first EXP
    roll(FOREST), card(1),                       # level 1 first; a trainer
    roll(MOAT), say("n"),                        # the Sentinel declined
    roll(MOAT), say("y"), roll(1, 2),            # ... lost to
    roll(MOAT), say("y"), roll(4, 1),            # ... a draw
    roll(CASTLE), card(0), card(2),              # a priest, then a High Mage
    roll(MOAT), say("y"), roll(6, 1),            # the Sentinel falls
    roll(MOAT_BACK),                             # and sends the Knight back over the Moat
    roll(MOAT), say("y"), roll(6, 1),            # he falls again
    roll(MOUNTAIN), card(13), fight("n", 6, 1),  # an Orc beaten: two levels at the next upkeep
    roll(CAVE), say("r"), draw(132),             # a creature of Craft 1 run from
    roll(CAVE), say("R"), draw(33), roll(1, 6),  # one of Craft 2: the run fails; a draw
    roll(BRIDGE), say("n"),                      # the Master Mage declined
    roll(TOWER), card(28, 28 + 29),              # two holy grails, the second by a large draw
    roll(MOUNTAIN), card(28),                    # a third: Craft 22
    roll(BRIDGE), say("y"), roll(1, 6),          # the Master Mage: a loss
    roll(BRIDGE), say("y"), roll(4, 1),          # ... a draw
    roll(BRIDGE), say("y"), roll(6, 1),          # ... he falls
    roll(BRIDGE_BACK),                           # and sends the Knight back over the Bridge
    roll(BRIDGE), say("y"), roll(6, 1),          # he falls again
    roll(SWAMP), card(10), fight("n", 1, 1),     # a blob beaten
    roll(DUNGEON), draw(49), fight("h", 1, 6),   # a creature of Craft, after a Heal: a loss
    roll(DUNGEON), draw(150), fight("n", 3, 1),  # a creature of Strength beaten
    roll(BLACK_MARKET), say("y", "y"),           # a point of Strength,
    say("y", "n", "y"),                          # one of Craft,
    say("y", "n", "n"),                          # one of Life,
    say("n"),                                    # and no more
    roll(CITADEL), say("n"),                     # the Boss declined
    roll(PALACE), card(7), say("y"),             # all Strength into Craft: Craft 50,
    card(25), say("y"),                          # and no Strength left to sell
    roll(CITADEL), say("y"), roll(1, 2),         # the Boss: a loss
    roll(CITADEL), say("y"), roll(3, 3),         # ... a draw
    roll(CITADEL), say("y"), roll(2, 1),         # ... he falls
)

# An Ogre digs, is cursed, ransacks and meets the Living Dead in the Graveyard, gains a Berserk
# scroll with every level, goes berserk before battles, and dies in the Graveyard.
GAMES["ogre_goes_berserk_in_the_graveyard"] = build(
    pick("O"),
    roll(GRAVEYARD, 3),                          # Dig
    roll(GRAVEYARD, 4),                          # Curse
    roll(GRAVEYARD, 4 + 6 * 40),                 # Curse again, with no Craft left; a large draw
    roll(GRAVEYARD, 5),                          # Ransack
    roll(GRAVEYARD, 1), card(9),                 # the Gravekeeper: a lesson
    roll(FOREST), card(13), fight("b", 2, 6),    # level 1's Berserk beats an Orc
    roll(GRAVEYARD, 6), fight("n", 1, 1),        # two levels, the boost ends; the Living Dead
    roll(CASTLE), card(10), fight("B", 1, 1),    # a blob, berserk; the boost ends between cards
    card(14), fight("n", 1, 1),                  # the mirror clone of a stronger Ogre: a draw
    roll(FOREST), card(15), fight("n", 6, 1),    # the dragon on the lower Craft
    roll(GRAVEYARD, 4),                          # Curse, with Craft to lose
    roll(GRAVEYARD, 2),                          # Death
    roll(GRAVEYARD, 2),                          # Death
    roll(GRAVEYARD, 2),                          # Death: no Life left
)

# A Priest gives to charity until he has nothing left, meets every happening of the Chapel,
# heals before battles and gains a Heal scroll with every level; sickness and a Dark Litch
# bring him down to 1 Life, where a vampire makes him Undead. The Undead Priest lives on at
# 0 Life and crosses over to the afterLife at 1.
GAMES["priest_becomes_undead_and_crosses_over"] = build(
    pick("p"),
    roll(CHAPEL, 1),                             # Charity: 4 Gold, 2 given
    roll(CHAPEL, 1),                             # 2 Gold, 1 given
    roll(CHAPEL, 1),                             # 1 Gold, none given
    roll(PLAINS), card(8), say("y", "n", "n"),   # the leprechaun's last coin buys Life
    roll(CHAPEL, 1),                             # no Gold to give
    roll(FOREST), card(8), say("y"),             # no Gold for the leprechaun
    roll(CHAPEL, 3),                             # Blasphemy
    roll(CHAPEL, 4),                             # Worship
    roll(CHAPEL, 2),                             # the Priest
    roll(CHAPEL, 6), fight("h", 1, 2),           # a Paladin of Strength 0, healed against: a loss
    roll(CHAPEL, 5), card(12), fight("n", 6, 1), # Pray: a sorcerer beaten; two levels
    roll(CHAPEL, 6), fight("n", 6, 1),           # a Paladin raised by the battles and the level
    roll(CHAPEL, 3),                             # Blasphemy again, with Strength to lose
    roll(PLAINS), card(20),                      # a vampire drains a Life: 4 left
    roll(FOREST), card(16),                      # sickness at 4 Life
    roll(PLAINS), card(20),                      # the vampire again: 2 left
    roll(FOREST), card(16),                      # sickness at 2 Life
    roll(PLAINS), card(0),                       # a priest: 2 Life again
    roll(FOREST), card(27), say("y"),            # a Life sold to the Dark Litch at 2
    roll(PLAINS), card(27, 16, 20),              # at 1 Life the Litch and sickness pass; Undead
    roll(PLAINS), card(0),                       # the Undead Priest healed to 0 Life
    roll(FOREST), card(20),                      # and drained again
    roll(PLAINS), card(20, 3),                   # below 0 the vampire passes
    roll(CASTLE), card(0, 0),                    # 0 Life at the upkeep between, then 1
)

# A Merchant pours his Craft into his Strength to cross the Moat, trades with the weak
# merchants down to his last point and beyond, meets an old friend five times, buys every
# kind of point at the Market down to his last coin, sells wares to a pickpocket, gains Gold
# with his levels, and runs out of answers before a battle.
GAMES["merchant_trades_to_his_last_coin"] = build(
    pick("M"),
    roll(FOREST), card(5), say("y"),             # all Craft into Strength
    roll(PLAINS), card(1),                       # a trainer: Strength 5
    roll(MOAT), say("y"), roll(6, 1),            # the Sentinel falls
    roll(MOUNTAIN), card(26), say("y"),          # no Craft to sell
    roll(MOUNTAIN), card(2),                     # a High Mage
    roll(MOUNTAIN), card(26), say("y"),          # the last point of Craft sold
    roll(MOUNTAIN), card(26), say("n"),          # none sold
    roll(MOUNTAIN), card(25), say("Y"),          # a point of Strength sold
    roll(MOUNTAIN), card(25), say("N"),          # none sold
    roll(TOWER), card(18), draw(0),              # an old friend: Life;
    card(18), draw(6),                           # Strength;
    roll(TOWER), card(18), draw(12),             # Craft;
    card(18), draw(3),                           # Gold: 12 Gold
    roll(MARKET), say("y", "y"),                 # Strength,
    say("y", "n", "y"),                          # Craft,
    say("y", "n", "n"),                          # Life,
    say("y", "y"),                               # and Strength for the last 3 Gold
    say("y"),                                    # not enough Gold,
    say("n"),                                    # and no more
    roll(MARKET), say("n"),                      # nothing bought
    roll(MOUNTAIN), card(17),                    # wares sold to a pickpocket
    roll(MOUNTAIN), card(27), say("n"),          # the Dark Litch refused
    roll(MOUNTAIN), card(18), draw(4),           # an old friend: EXP
    roll(MOUNTAIN), card(13), fight("n", 6, 1),  # level 1's Gold; an Orc beaten
    roll(CAVE),                                  # levels 2 and 3; a creature, and no answer
)

# A Thief, chosen at the second try, robs the city guard, who walks away, leaves him to pay his toll with his last 3 Gold,
# fights him for an unpaid toll and carries the purse that filled meanwhile; the Thief gains
# an Escape scroll with each level, finds scrolls of every kind, spends one, runs from a
# mist and fails to, pays the toll and steals it back, is pickpocketed, and dies in the
# Graveyard.
GAMES["thief_robs_the_guard"] = build(
    say("l", "T", "n"), pick("t"),               # a letter of no class; a Thief, not yet
    roll(PLAINS), card(6), say("n"),             # no steal
    roll(FOREST), card(6), say("y"), draw(99),   # a steal that only a Thief makes: 3 Gold
    roll(PLAINS), card(19), say("y"),            # the toll paid with the last 3 Gold
    roll(FOREST), card(19), say("y"),            # no Gold: the guard's fight,
    say("x", "b", "n"), roll(6, 1),              # after two refused answers; won
    roll(PLAINS), card(6), say("y"), draw(40),   # two levels; the guard's 7 Gold stolen
    roll(FOREST), card(19), say("n"),            # the toll refused: the guard's fight,
    say("e"),                                    # escaped
    roll(CASTLE), card(21), card(22),            # an Escape scroll, then a Berserk one
    roll(PLAINS), card(23),                      # a Heal scroll
    roll(CASTLE), card(24), draw(3),             # chests: Escape,
    card(24), draw(4),                           # Berserk,
    roll(PLAINS), card(24), draw(5),             # and Heal
    roll(FOREST), card(11), say("r"), draw(132), # a mist run from,
    roll(PLAINS), card(11), say("R"), draw(33),  # and not: a loss
    roll(1, 6),
    roll(PLAINS), card(19), say("y"),            # the toll paid: 7 Gold, 3 paid
    roll(FOREST), card(6), say("y"), draw(77),   # and stolen back with the purse
    roll(PLAINS), card(17),                      # 5 of 10 Gold pickpocketed
    roll(GRAVEYARD, 2),                          # Death
    roll(GRAVEYARD, 2),                          # Death: no Life left
)

# A Wizard is robbed of his last coins and then finds some, declines two offers, drinks from
# the holy grail and sells ten points to merchants and the Dark Litch: he is a Merchant now,
# announced between the cards of a Castle, and sells wares to the next pickpocket. He steals
# from the guard ten times, fails twice and fights him; the eleventh steal makes him a Thief,
# and every steal after it succeeds and counts.
GAMES["wizard_earns_a_merchants_and_a_thiefs_skills"] = build(
    pick("w"),
    roll(PLAINS), card(17),                      # robbed of his 2 Gold
    roll(FOREST), card(17),                      # and finds 3 with none left
    roll(PLAINS), card(5), say("n"),             # the berserker's offer declined
    roll(FOREST), card(7), say("n"),             # the mage's too
    roll(CASTLE), card(28), card(26), say("y"),  # a holy grail; deal 1
    roll(CASTLE), card(26), say("y"), card(26), say("y"),  # deals 2 and 3
    roll(CASTLE), card(25), say("y"), card(25), say("y"),  # 4 and 5
    roll(CASTLE), card(27), say("y"), card(27), say("y"),  # 6 and 7, Life to the Dark Litch
    roll(CASTLE), card(26), say("y"), card(25), say("y"),  # 8 and 9
    roll(CASTLE), card(26), say("y"),            # deal 10: a Merchant at the upkeep between,
    card(6), say("y"), draw(29),                 # and steal 1, by the narrowest chance
    roll(CASTLE), card(6), say("y"), draw(0),    # steal 2
    card(6), say("y"), draw(100),                # steal 3
    roll(CASTLE), card(6), say("y"), draw(30),   # a failed steal: the guard's fight
    fight("n", 6, 1),
    card(6), say("y"), draw(5),                  # steal 4
    roll(CASTLE), card(6), say("y"), draw(10),   # 5
    card(6), say("y"), draw(15),                 # 6
    roll(CASTLE), card(6), say("y"), draw(20),   # 7
    card(6), say("y"), draw(25),                 # 8
    roll(CASTLE), card(6), say("y"), draw(1),    # 9
    card(6), say("y"), draw(198),                # a failed steal: the guard's fight
    fight("n", 1, 6),
    roll(CASTLE), card(6), say("y"), draw(2),    # 10
    card(6), say("y"), draw(3),                  # the eleventh makes a Thief
    roll(PLAINS), card(6), say("y"), draw(199),  # a Thief's steal: it counts
    roll(FOREST), card(17),                      # wares sold to a pickpocket
    roll(PLAINS), card(6),                       # and no answer to the guard
)

# An Undead veteran: he buys from leprechauns and meets his mirror clone and the dragon with
# Strength below his Craft and then equal to it; then he fights fifty battles, each after a
# spell. The tenth Berserk makes him Crazy; the fiftieth battle, fought after his tenth Heal,
# makes him Holy, Magical and Brave in one upkeep. Each Heal is taken back by a lost battle,
# so his Life stays below 1, until the holy grail sends him to the afterLife.
VETERAN = [
    pick("U"),
    roll(CASTLE), card(4), card(8), say("y", "y"),        # Gold; the leprechaun's Strength,
    roll(CASTLE), card(8), say("y", "n", "y"), card(8), say("n"),  # his Craft; no deal
    roll(CASTLE), card(22, 22 + 29 * 3),                  # two Berserk scrolls,
    roll(CASTLE), card(22, 22),                           # and two more
    roll(CASTLE), card(14), fight("b", 1, 1),             # battle 1: the clone's Craft,
    card(15), fight("b", 6, 1),                           # 2: the dragon on the lower Strength
    roll(CASTLE), card(1, 1),                             # Strength up to Craft
    roll(CASTLE), card(14), fight("b", 6, 1),             # 3: the clone's equal Strength,
    card(15), fight("b", 6, 1),                           # 4: the dragon on equal values
]
for battle in range(5, 41):                               # 5 to 40 after Berserk: blobs
    VETERAN += [roll(CASTLE), card(22, 10), fight("b", 1, 1)]
for battle in range(41, 51):                              # 41 to 50 after Heal: Orcs won by
    VETERAN += [roll(CASTLE), card(23, 13), fight("h", 1, 6)]
VETERAN += [roll(PLAINS), card(9)]                        # the three titles, and a lesson
VETERAN += [roll(CASTLE), card(28)]                       # the grail's Life: he crosses over
                                                          # before the Castle's second card
GAMES["undead_veteran_of_fifty_battles"] = build(*VETERAN)


def main():
    games = Path(__file__).resolve().parents[2] / "tests" / "games"
    games.mkdir(exist_ok=True)
    for old in games.glob("*.game"):
        old.unlink()
    for name, script in GAMES.items():
        (games / f"{name}.game").write_bytes(script)


if __name__ == "__main__":
    main()
