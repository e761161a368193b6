#pragma once

namespace zandrel {

// The class menu: loops until the player has chosen and confirmed one of the seven classes.
void chooseCharacter();

} // namespace zandrel
