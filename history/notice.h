#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;

namespace history {

// Shows `message` in a window of its own that neither takes the keyboard
// from the window in play nor closes on a key: Space, Enter and the digits
// stay the game's. It closes with its button, by mouse. Owned by Qt; closed,
// it deletes itself.
QMessageBox *showAside(const QString &message);

// One such notice whose text may change while it is up: tell() shows it, or
// changes the one on screen; amend() only changes the one on screen, so a
// notice the player closed stays closed.
class AsideNotice {
public:
    void tell(const QString &message);
    void amend(const QString &message);
    bool up() const { return !box_.isNull(); }

private:
    QPointer<QMessageBox> box_;
};

} // namespace history
