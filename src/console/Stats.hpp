#pragma once

#include "state/GameState.hpp"

#include <cstdint>
#include <string_view>

namespace zandrel {

// Announced changes of an attribute named by its display word ("Strength", "Craft", "Life",
// "Gold", "EXP"). They return the new value for the caller to store back. Only Life may
// fall below 0.
int loseStat(std::string_view name, int current, int amount);
int gainStat(std::string_view name, int current, int amount);

// An attribute as the player sees it named, and the field of the game that holds it.
struct Attribute {
    std::string_view name;
    std::int32_t GameState::*field;
};
inline constexpr Attribute lifeStat{"Life", &GameState::life};
inline constexpr Attribute strengthStat{"Strength", &GameState::strength};
inline constexpr Attribute craftStat{"Craft", &GameState::craft};
inline constexpr Attribute goldStat{"Gold", &GameState::gold};
inline constexpr Attribute experienceStat{"EXP", &GameState::experience};

// The same changes applied straight to the game's own field.
void gain(const Attribute& attribute, int amount);
void lose(const Attribute& attribute, int amount);

// A point paid for: Strength or Craft as the player says, and Life for one who wants neither.
void gainChosenPoint(std::string_view strengthQuestion, std::string_view craftQuestion);

// Adds one "Escape", "Berserk" or "Heal" scroll, announced.
void awardScroll(std::string_view spell);

} // namespace zandrel
