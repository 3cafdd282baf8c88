#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

#include "play/field.h"

// Where the places of the floor lie in the match window's field, in its
// pixels. The player's side is the lower half; the opponent's is turned
// half round, so that their front row and their left area face the
// player's. The window, the mouse and the keyboard all go through here.
namespace match {

// The field that holds both sides with their margins and gaps.
QSize floorSize();

// The card at `p`.
QRect placeRect(Place p);

// The place whose card covers `inField`, one pixel of slack around each
// card; none in the gaps between the areas and between the sides.
std::optional<Place> placeAt(QPoint inField);

// One step of the keyboard's frame as the player sees the floor, across
// both sides; a step off the floor's edge stays where it was.
enum class FloorStep { Left, Right, Up, Down };
Place stepped(Place from, FloorStep step);

} // namespace match
