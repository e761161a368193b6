#pragma once

namespace zandrel {

// The cards that put a question to the player before anything happens.
void berserkersOffer();
void watchfulGuard();
void magesOffer();
void leprechaun();
void guardsToll();
void strengthBuyer();
void craftBuyer();
void darkLitch();

// A battle against a foe of exactly the value a card names.
void strengthBattle(int foe);
void craftBattle(int foe);

} // namespace zandrel
