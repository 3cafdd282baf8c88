#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The layout dump behind `tategaki_dump`: one line per column of a caption
// laid out in a box, for eyes and for golden tests.
namespace tategaki::tools {

// A caption typed on a command line: UTF-8 text, turned into Shift-JIS, with
// the escapes \r \n \t \\ and \xHH (one raw byte, e.g. a lone first byte).
QByteArray parseCaption(const QString &literal);

// Runs the dump for `arguments` (no program name). Returns false with a
// message in `error` for a bad command line. Measuring with a real font
// needs a QGuiApplication.
bool layoutDump(const QStringList &arguments, QString &output, QString &error);

QString usage();

} // namespace tategaki::tools
