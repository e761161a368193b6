#include "flow/Driver.hpp"

#include <iostream>

int main() {
    // The game flushes its own output before every pause, clear, read and exit.
    std::ios::sync_with_stdio(false);
    return zandrel::runGame();
}
