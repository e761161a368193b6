#pragma once

namespace zandrel {

// One turn in each region of the board: the outer ring, the middle ring and the inner ring.
void playOuterRegion();
void playMiddleRegion();
void playInnerRegion();

} // namespace zandrel
