#pragma once

#include <QString>

class QMessageBox;

namespace history {

// Shows `message` in a window of its own that neither takes the keyboard
// from the window in play nor closes on a key: Space, Enter and the digits
// stay the game's. It closes with its button, by mouse. Owned by Qt; closed,
// it deletes itself.
QMessageBox *showAside(const QString &message);

} // namespace history
