#pragma once

#include <QString>

class QTextStream;

// `kotoha --replay FILE`: the record played through the rules, each
// reading's judgement and the result on `out`. Returns 0; 1 when the record
// breaks the notation or the rules (its line and why on `err`); 2 when the
// file cannot be read.
int runReplay(const QString &fileName, QTextStream &out, QTextStream &err);
