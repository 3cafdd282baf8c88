#pragma once

#include <functional>

class QApplication;
class QWidget;

// The program's shell: it makes the windows and hands each what it uses of
// the services, the generator, the recorder, the voice options and the poem
// table; no window reaches for them on its own.
namespace shell {

// Everything the program sets up before its first window: the style, the
// icon, the Japanese font substitutes and the desktop services.
void InitialiseApplication(QApplication &app);

// Creates the main window, whose creation fills the poem table before any
// other window exists.
void CreateMainForm();

// Creates the mode windows after it, in their fixed order; once they exist
// it does nothing.
void CreateModeForms();

// Both at once (tests and benchmarks).
void CreateForms();

// The program's start: the menu is created and shown, and the mode windows
// are created once its first frame is painted, then `afterwards` runs. The
// player sees the menu without waiting for windows he has not opened yet; a
// mode chosen before they exist creates them first (TF_Main).
void OpenMenu(std::function<void()> afterwards);

// Destroys the windows in reverse order (program end, tests).
void DestroyForms();

// Runs `work` once, from the event loop, after `window`'s first frame is
// painted: start-up work the menu does not need waits until it is on screen.
void AfterFirstPaint(QWidget *window, std::function<void()> work);

} // namespace shell
