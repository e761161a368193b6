#include "console/Console.hpp"
#include "flow/Start.hpp"

#include <cstddef>
#include <iostream>
#include <span>

int main(int argc, char** argv) {
    // The game flushes its own output before every pause, clear, read and exit.
    std::ios::sync_with_stdio(false);
    // A won game ends through the platform, as a lost one does: in a web page each wait for
    // the player unwinds the game back out of main, so a status returned from here would
    // reach no one there.
    zandrel::endProcess(zandrel::startGame(std::span(argv, static_cast<std::size_t>(argc))));
}
