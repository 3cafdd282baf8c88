#pragma once

#include <QStringList>

class QTextStream;

// The program's modes that open no window (the deciding syllables, the help).
// `arguments` is the whole command line, program name first.

// True when the arguments ask for one of them; otherwise the program starts
// its windows and leaves the arguments to Qt.
bool isCommandLineRun(const QStringList &arguments);

// Runs it and returns the exit status: 0, or 2 with a message on `err` for a
// command line it cannot follow.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);
