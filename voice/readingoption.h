#pragma once

class QCheckBox;

namespace platform {
struct Services;
}

// The "読み上げ" check box of the game and the match windows. Both show one
// choice, Options::gameReading, offered only where the clips can be played
// through the window's services.
namespace voice {

struct Options;

// Turns reading aloud on or off; it stays off where it cannot be played.
void setGameReading(const platform::Services &services, Options &options, bool on);

// Shows the choice on `box` without emitting toggled: greyed, with the
// reason as its tooltip, where the clips cannot be played.
void showGameReading(const platform::Services &services, const Options &options, QCheckBox *box);

// The player's tick on `box` sets the choice, and the box shows what it
// came to. `services` and `options` outlive the box.
void connectGameReading(const platform::Services &services, Options &options, QCheckBox *box);

} // namespace voice
