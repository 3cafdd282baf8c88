#pragma once

#include <QFunctionPointer>

namespace platform::ui {

// Some parts of the program live in modules of their own, so that the
// libraries they need are not loaded before the menu is on screen: the sound
// (Qt Multimedia) and the history's charts (Qt Charts). A module is looked
// for beside the installed program (the library folder of its prefix), then
// in the build tree (tests, benchmarks), loaded at its first use and kept.
//
// The function `symbol` of module `name`, or nullptr when the module or the
// function is missing (told once on the terminal).
QFunctionPointer moduleFunction(const char *name, const char *symbol);

} // namespace platform::ui
