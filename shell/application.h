#pragma once

#include <functional>

class QApplication;
class QWidget;

// Everything the program sets up before its first window: the style, the
// icon, the Japanese font substitutes and the desktop services.
void InitialiseApplication(QApplication &app);

// Creates the eight windows once, in their fixed order. The first is the
// main window, whose creation fills the poem table before any other exists.
void CreateForms();

// Destroys the windows in reverse order (program end, tests).
void DestroyForms();

// Runs `work` once, from the event loop, after `window`'s first frame is
// painted: start-up work the menu does not need waits until it is on screen.
void AfterFirstPaint(QWidget *window, std::function<void()> work);
