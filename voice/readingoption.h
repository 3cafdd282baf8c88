#pragma once

class QCheckBox;

// The "読み上げ" check box of the game and the match windows. Both show one
// choice, Options::gameReading, offered only where the clips can be played
// here.
namespace voice {

struct Options;

// Turns reading aloud on or off; it stays off where it cannot be played.
void setGameReading(Options &options, bool on);

// Shows the choice on `box` without emitting toggled: greyed, with the
// reason as its tooltip, where the clips cannot be played.
void showGameReading(const Options &options, QCheckBox *box);

// The player's tick on `box` sets the choice, and the box shows what it
// came to. `options` outlives the box.
void connectGameReading(Options &options, QCheckBox *box);

} // namespace voice
