#pragma once

class QKeyEvent;
class QObject;

namespace platform::ui {

// What the program does with a key event before the widget with the focus
// sees it.
enum class KeyAction {
    Deliver, // let it through
    Drop,    // swallow it
    Click,   // press the focused push button, then swallow the key
};

// Space, Return/Enter and the digits start, pose, pick, deal and reset. A held
// key must not do that twice, so their auto-repeats are dropped; only a text
// field keeps repeated digits and spaces, never a repeated Return that would
// accept a dialog. Return/Enter presses the focused push button as Space does.
KeyAction keyAction(const QKeyEvent &event, const QObject *target);

// Installs, once per application, the key policy above and a style that
// marks the focused push button at all times. Every window's constructor
// calls it, so the program, its dialogs and the tests all run with it.
void installKeyboardPolicy();

} // namespace platform::ui
