#pragma once

namespace zandrel {

// Draws one adventure card at random from the 29 and resolves it on the spot.
void drawCard();

} // namespace zandrel
