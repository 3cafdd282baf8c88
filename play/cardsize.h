#pragma once

// A card as the boards draw it, in pixels: the game lays it at this size,
// 札流し at twice.
namespace play {

constexpr int kCardWidth = 65;
constexpr int kCardHeight = 113;

} // namespace play
