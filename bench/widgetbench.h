#pragma once

#include <QApplication>

#include "benchrunner.h"
#include "deck/poemtable.h"
#include "platform/gui/fonts.h"

namespace bench {

// The main of a benchmark that draws windows: no display unless one is asked
// for, the Japanese faces mapped as in the program, the poem table filled.
inline int runWidgetBenchmarks(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
    return runBenchmarks(argc, argv);
}

} // namespace bench
