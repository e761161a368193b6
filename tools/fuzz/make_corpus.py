#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: a few whole games in the fuzz input format (the player's
answers, a zero byte, then each draw of chance as a little-endian base-128 number).

Run it from anywhere; it rewrites corpus/ beside it. Replay a seed with zandrel_fuzz_replay
to read its game.
"""
from pathlib import Path


def encode(answers, draws):
    out = bytearray(answers.encode())
    assert 0 not in out, "an answer cannot hold a zero byte: it starts the draws"
    out.append(0)
    for value in draws:
        while True:
            byte = value & 0x7F
            value >>= 7
            if value:
                out.append(byte | 0x80)
            else:
                out.append(byte)
                break
    return bytes(out)


CASTLE, HOLY_GRAIL, PLAINS, FOREST, GRAVEYARD, CHAPEL, MOAT = 5, 28, 0, 1, 3, 4, 2
SIX, ONE = 5, 0

GAMES = {
    # Five Castles of holy grails, then the Sentinel, the Master Mage and the Boss, each
    # beaten with a six against a one.
    "knight_wins": (
        "k\ny\n" "y\n" "y\n" "y\n",
        [CASTLE, HOLY_GRAIL, HOLY_GRAIL] * 5 + [MOAT, SIX, ONE] + [4, SIX, ONE] + [2, SIX, ONE],
    ),
    # A Priest heals before one Orc, misses a letter, fails to run from the next and loses to
    # both, then loses a Life at the Grave and dies at the next upkeep.
    "priest_loses": (
        "P\nn\np\nY\n" "h\n" "x\nr\n",
        [PLAINS, 13, ONE, SIX] + [FOREST, 13, 99, ONE, SIX] + [GRAVEYARD, 1] + [GRAVEYARD, 1],
    ),
    # An Undead drinks from four priests and crosses over to the afterLife.
    "undead_crosses_over": (
        "u\ny\n",
        [PLAINS, 0] * 4,
    ),
    # A Thief robs the city guard in the Chapel, deals with a leprechaun, and the answers run
    # out in front of the guard's toll.
    "thief_runs_out_of_answers": (
        "t\ny\n" "y\n" "y\nn\ny\n",
        [CHAPEL, 4, 6, 10] + [PLAINS, 8] + [PLAINS, 19],
    ),
    # A Merchant grows strong on grails, crosses the Moat, shops at the Market, draws at the
    # Tower, fights in the Cave with Berserk and is sent back; the chance runs out in the
    # Graveyard. Big draws take several bytes and mean the same as small ones, also where the
    # generator's values end at 32767 (Windows), which takes them modulo 32768.
    "merchant_runs_out_of_chance": (
        "m\ny\n" "y\n" "y\nn\nn\ny\ny\nn\n" "b\n",
        [CASTLE, HOLY_GRAIL, 22 + 29 * 1000] + [MOAT, SIX, ONE] + [3]
        + [0, 21 + 29 * 3 * 32768, 3]
        + [SIX + 3 * 8193 * 32768, SIX, ONE] + [2] + [GRAVEYARD],
    ),
}


def main():
    corpus = Path(__file__).resolve().parent / "corpus"
    corpus.mkdir(exist_ok=True)
    for name, (answers, draws) in GAMES.items():
        (corpus / name).write_bytes(encode(answers, draws))


if __name__ == "__main__":
    main()
