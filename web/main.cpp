#include "console/Console.hpp"
#include "flow/Driver.hpp"

// The page's game. Each wait for the player unwinds the game back out of main, so a won game
// cannot return its status to anyone: it ends through the platform, as a lost game does, and
// the page hears both.
int main() { zandrel::endProcess(zandrel::runGame()); }
